#pragma once
// Small value types the compiler and the nodes share: widths, the
// 256-character table, what can begin a node, and a quantifier's bounds.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace regex::detail {

// The all-ones width: no upper bound.
inline constexpr std::size_t unbounded_width = ~std::size_t{0};

inline std::size_t add_widths(std::size_t a, std::size_t b) {
    return a > unbounded_width - b ? unbounded_width : a + b;
}

inline std::size_t multiply_width(std::size_t w, std::uint32_t count, bool count_unbounded) {
    if (w == 0 || (count == 0 && !count_unbounded)) return 0;
    if (count_unbounded || w == unbounded_width) return unbounded_width;
    return w > unbounded_width / count ? unbounded_width : w * count;
}

// How many characters a match of a node can span.
struct width_range {
    std::size_t min = 0;
    std::size_t max = 0;  // unbounded_width when there is no limit
    bool fixed() const { return min == max && max != unbounded_width; }
};

// 256 bits, one per 8-bit character.
struct char_table {
    std::uint32_t bits[8] = {};

    void set(unsigned char c) { bits[c >> 5] |= 1u << (c & 31); }
    bool test(unsigned char c) const { return (bits[c >> 5] >> (c & 31)) & 1u; }
    void merge(const char_table& other) {
        for (int w = 0; w < 8; ++w) bits[w] |= other.bits[w];
    }
};

// The characters that can begin a node; a literal-string node also names
// its text, from which the search builds its literal-prefix finder.
struct leading_chars {
    char_table chars;
    std::string_view literal;     // empty unless the node is a literal string
    bool literal_nocase = false;  // the literal compares without regard to case
};

struct repeat_bounds {
    static constexpr std::uint32_t unbounded = 0xFFFFFFFFu;
    std::uint32_t min = 0;
    std::uint32_t max = 0;  // unbounded for no limit
    bool greedy = true;

    width_range scale(width_range w) const {
        return {multiply_width(w.min, min, false), multiply_width(w.max, max, max == unbounded)};
    }
};

}  // namespace regex::detail
