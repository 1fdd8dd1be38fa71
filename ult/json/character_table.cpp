#include "ult/json/character_table.h"

#include <initializer_list>

namespace ult::json {
namespace {

constexpr unsigned kTableSize = 128;
char_class g_table[kTableSize];  // zero-initialised: all word

}  // namespace

void build_character_table() {
    for (char_class& entry : g_table) entry = char_class::word;
    for (char c : {' ', '\b', '\f', '\n', '\r', '\t'}) g_table[static_cast<unsigned char>(c)] = char_class::blank;
    g_table[static_cast<unsigned char>('-')] = char_class::number_start;
    for (unsigned char c = '0'; c <= '9'; ++c) g_table[c] = char_class::number_start;
    g_table[static_cast<unsigned char>('{')] = char_class::open_brace;
    g_table[static_cast<unsigned char>('}')] = char_class::close_brace;
    g_table[static_cast<unsigned char>('[')] = char_class::open_bracket;
    g_table[static_cast<unsigned char>(']')] = char_class::close_bracket;
    g_table[static_cast<unsigned char>(',')] = char_class::comma;
    g_table[static_cast<unsigned char>(':')] = char_class::colon;
    g_table[static_cast<unsigned char>('"')] = char_class::quote;
    g_table[static_cast<unsigned char>('\'')] = char_class::quote;
}

char_class classify(wchar_t c) {
    const auto code = static_cast<unsigned>(c);
    if (code == 0 || code >= kTableSize) return char_class::word;
    return g_table[code];
}

}  // namespace ult::json
