#include "ult/json/character_table.h"

#include <initializer_list>

namespace ult::json {

namespace detail {
char_class character_table[kCharacterTableSize];  // zero-initialised: all word
}  // namespace detail

void build_character_table() {
    using detail::character_table;
    for (char_class& entry : character_table) entry = char_class::word;
    for (char c : {' ', '\b', '\f', '\n', '\r', '\t'}) character_table[static_cast<unsigned char>(c)] = char_class::blank;
    character_table[static_cast<unsigned char>('-')] = char_class::number_start;
    for (unsigned char c = '0'; c <= '9'; ++c) character_table[c] = char_class::number_start;
    character_table[static_cast<unsigned char>('{')] = char_class::open_brace;
    character_table[static_cast<unsigned char>('}')] = char_class::close_brace;
    character_table[static_cast<unsigned char>('[')] = char_class::open_bracket;
    character_table[static_cast<unsigned char>(']')] = char_class::close_bracket;
    character_table[static_cast<unsigned char>(',')] = char_class::comma;
    character_table[static_cast<unsigned char>(':')] = char_class::colon;
    character_table[static_cast<unsigned char>('"')] = char_class::quote;
    character_table[static_cast<unsigned char>('\'')] = char_class::quote;
}

}  // namespace ult::json
