#pragma once

#include <cstdint>

namespace ult::json {

// Lexical class of one UTF-16 code unit, as the scanner sees it.
enum class char_class : std::uint16_t {
    word,  // anything not listed below, NUL and everything above U+007F included
    blank,
    number_start,
    open_brace,
    close_brace,
    open_bracket,
    close_bracket,
    comma,
    colon,
    quote,
};

// Fills the table; the library does it once at load. Until then every
// character is a word character.
void build_character_table();

char_class classify(wchar_t c);

}  // namespace ult::json
