#pragma once
// The vector kernels' lookup tables, worked out from the alphabet at compile
// time: a table that cannot serve the alphabet fails the build.

#include <array>
#include <cstdint>

#include "base64/alphabet.h"

namespace base64::vector_tables {

// One 16-byte register's worth, as byte shuffles and lookups take it.
using Lane = std::array<std::int8_t, 16>;

// A byte is in the alphabet when its low nibble's class is not among the
// classes its high nibble forbids: each low nibble has one class bit per
// distinct set of high nibbles it is valid with. Its value is the byte plus
// an offset found by its high nibble, once "/" (the one character whose
// offset differs from the rest of its row) is moved down a row.
struct NibbleTables {
    Lane lowClass{};
    Lane highForbids{};
    Lane offsetByRow{};
};

constexpr NibbleTables MakeNibbleTables() {
    NibbleTables tables;
    std::uint16_t highsOfLow[16] = {};
    for (unsigned v = 0; v < 64; ++v) {
        const auto c = static_cast<unsigned char>(kAlphabet[v]);
        highsOfLow[c & 15] |= static_cast<std::uint16_t>(1u << (c >> 4));
    }
    std::uint16_t classes[7] = {};
    unsigned classCount = 0;
    for (unsigned low = 0; low < 16; ++low) {
        unsigned k = 0;
        while (k < classCount && classes[k] != highsOfLow[low]) ++k;
        if (k == classCount) {
            if (classCount == 7) throw "more classes than a signed byte has bits";
            classes[classCount++] = highsOfLow[low];
        }
        tables.lowClass[low] = static_cast<std::int8_t>(1u << k);
    }
    for (unsigned high = 0; high < 16; ++high) {
        unsigned forbids = 0;
        for (unsigned k = 0; k < classCount; ++k)
            if (!((classes[k] >> high) & 1)) forbids |= 1u << k;
        tables.highForbids[high] = static_cast<std::int8_t>(forbids);
    }
    bool rowSet[16] = {};
    for (unsigned v = 0; v < 64; ++v) {
        const auto c = static_cast<unsigned char>(kAlphabet[v]);
        const unsigned row = (c >> 4) - (c == '/' ? 1 : 0);
        const auto offset = static_cast<std::int8_t>(static_cast<int>(v) - c);
        if (rowSet[row] && tables.offsetByRow[row] != offset) throw "two offsets in one row";
        rowSet[row] = true;
        tables.offsetByRow[row] = offset;
    }
    return tables;
}
inline constexpr NibbleTables kNibbles = MakeNibbleTables();

// For each 8-bit mask, the positions of its set bits in order, then bytes
// that a byte shuffle turns into zero: the shuffle that packs the kept bytes
// of eight together.
struct CompactionTable {
    std::array<std::array<std::int8_t, 8>, 256> order{};
    std::array<std::uint8_t, 256> count{};
};

constexpr CompactionTable MakeCompactionTable() {
    CompactionTable table;
    for (unsigned mask = 0; mask < 256; ++mask) {
        unsigned n = 0;
        for (unsigned bit = 0; bit < 8; ++bit)
            if ((mask >> bit) & 1) table.order[mask][n++] = static_cast<std::int8_t>(bit);
        table.count[mask] = static_cast<std::uint8_t>(n);
        for (unsigned rest = n; rest < 8; ++rest) table.order[mask][rest] = -128;
    }
    return table;
}
inline constexpr CompactionTable kCompaction = MakeCompactionTable();

}  // namespace base64::vector_tables
