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

namespace detail {
constexpr unsigned kCharacterTableSize = 128;
extern char_class character_table[kCharacterTableSize];
}  // namespace detail

// Inline: the scanner classifies every character it passes.
inline char_class classify(wchar_t c) {
    const auto code = static_cast<std::uint32_t>(c);
    if (code == 0 || code >= detail::kCharacterTableSize) return char_class::word;
    return detail::character_table[code];
}

}  // namespace ult::json
