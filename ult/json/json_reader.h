#pragma once
// An event-driven reader for the lenient JSON of the browser's settings:
// single-quoted strings, bare member names and several top-level values are
// accepted, and no syntax error stops it. There is no document tree: the
// caller supplies one callback object per object or array it wants to see,
// and a factory that returns null skips that structure and all it holds.
//
// The parser never owns a callback a factory returns; whoever returns one
// keeps it alive until parse_object returns.

#include <cstddef>
#include <string>

#include "ult/json/json_value.h"

namespace ult::json {

class array_callback;

class object_callback {
public:
    // A syntax error here, or in a skipped structure below.
    virtual void error(const json_position& /*position*/) {}
    virtual object_callback* member_object(const std::wstring& /*key*/) { return nullptr; }
    virtual array_callback* member_array(const std::wstring& /*key*/) { return nullptr; }
    virtual void member_value(const std::wstring& /*key*/, const json_value& /*value*/) {}
    virtual void end() {}
    // A structure whose callback this object handed out has ended.
    virtual void child_end() {}

protected:
    ~object_callback() = default;
};

class array_callback {
public:
    virtual void error(const json_position& /*position*/) {}
    virtual array_callback* element_array() { return nullptr; }
    virtual object_callback* element_object() { return nullptr; }
    virtual void element_value(const json_value& /*value*/) {}
    virtual void end() {}
    virtual void child_end() {}

protected:
    ~array_callback() = default;
};

// Reads text[0, length) and delivers every top-level object to `callback`
// (none when it is null); top-level arrays are skipped. Throws only
// std::bad_alloc.
void parse_object(const wchar_t* text, std::size_t length, object_callback* callback);

}  // namespace ult::json
