#pragma once
// Finds where a literal occurs, case-insensitively if asked: the search
// jumps between occurrences of a pattern's leading literal, and checks that
// a literal every match must contain is there at all.
//
// Scanning compares two bytes of the literal at once, sixteen positions at
// a time with SSE2: the two that are rarest in ordinary text (see
// byte_rarity.h), in both cases under ignore-case. Only where both agree is
// the whole literal compared, so a scan for a literal that text rarely holds
// runs at close to the speed of memory.

#include <cstddef>
#include <string>
#include <string_view>

#include "cpu/features.h"
#include "cpu/target.h"

namespace regex::detail {

class literal_finder {
public:
    // literal is not empty. wide: scan with AVX2, which the processor must have.
    literal_finder(std::string_view literal, bool nocase, bool wide = cpu::Has(cpu::Feature::kAvx2));

    std::size_t size() const { return needle_.size(); }
    // The first position in [first, last) where the whole literal begins
    // and ends before last, or last.
    const char* find(const char* first, const char* last) const;
    // The last such position, or nullptr.
    const char* find_last(const char* first, const char* last) const;

private:
    bool matches_at(const char* at) const;
    // Looks at the starts from first up to final_start while whole steps of
    // the vector scan remain: the first where the literal begins, or nullptr
    // with first left where the starts not looked at begin. Folded: compare
    // both cases; Pair: both rare bytes, else the literal has one byte.
    template <bool Folded, bool Pair>
    const char* scan(const char*& first, const char* final_start) const;
#if RERIDU_X86
    template <bool Folded, bool Pair>
    RERIDU_AVX2_FUNCTION const char* scan_wide(const char*& first, const char* final_start) const;
#endif

    std::string needle_;         // the literal; under nocase in lower case
    bool nocase_;                // compares without regard to case
    std::size_t rare_[2];        // offsets of the two rarest bytes of the literal
    unsigned char cases_[2][2];  // those bytes in both cases (twice the same byte for one without case)
    bool wide_;                  // scans with AVX2
    bool pair_;                  // the two offsets differ: the literal is longer than one byte
};

}  // namespace regex::detail
