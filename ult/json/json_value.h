#pragma once

#include <cstdint>
#include <string>

namespace ult::json {

enum class value_type : std::uint32_t { none = 0, null = 1, boolean = 2, number = 3, string = 4 };

// One scalar as the reader hands it to a callback. The reader reuses the
// record for every token, so a callback copies what it wants to keep.
struct json_value {
    value_type type = value_type::none;
    // A string's content after escapes; a number or bare word as written.
    std::wstring text;
    union {
        double number;  // when type is number
        bool boolean;   // when type is boolean
    };

    json_value() : number(0) {}
};

// Where the scanner stands when it reports an event.
struct json_position {
    const wchar_t* at = nullptr;
    std::int32_t remaining = 0;  // characters from `at` to the end of the text
};

}  // namespace ult::json
