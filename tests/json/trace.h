#pragma once
// Golden traces: the reader's events written as one line of text, so a
// test compares a whole event sequence at once.
//
//   {  }  [  ]         begin and end of an object or array
//   key:{  key:[       a member whose value is an object or array
//   key=V  =V          a member or element with a scalar value V:
//                      'text', #text(number), true, false, null
//   !N                 an error at character offset N

#include <string>

#include "ult/json/json_value.h"

namespace json_test {

std::string Narrow(const std::wstring& text);  // blanks, controls and non-ASCII as \uXXXX
std::string Describe(const ult::json::json_value& value);

// The scanner's events for `text`, read within `length` characters.
std::string ScanTrace(const wchar_t* text, size_t length);
std::string ScanTrace(const std::wstring& text);

}  // namespace json_test
