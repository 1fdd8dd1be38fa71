#pragma once
// Reads one bracketed character class of a pattern into a set.

#include <cstddef>
#include <string_view>

#include "regex/charset.h"
#include "regex/flags.h"

namespace regex::detail {

// pos is just past the opening '[' and is left just past the closing ']'.
// The set comes back finished. Throws bad_regexpr on a reversed range or
// when the pattern ends inside the class. flag_extended does not apply here.
void parse_class(std::string_view pattern, std::size_t& pos, RegexFlags flags, custom_charset& set);

// \cX: X, upper-cased when it is a lower-case ASCII letter, with bit 6 flipped.
inline unsigned char control_char(unsigned char x) {
    if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 'a' + 'A');
    return static_cast<unsigned char>(x ^ 64);
}

}  // namespace regex::detail
