#pragma once
// Finds the next (or last) byte of a set in a text without a call per byte:
// a set of one to three bytes is compared sixteen bytes at a time with SSE2,
// which every processor the library runs on has; a larger set is looked up
// in its table in an unrolled loop.

#include "cpu/features.h"
#include "cpu/target.h"
#include "regex/node_support.h"

namespace regex::detail {

class byte_finder {
public:
    // wide: scan with AVX2, which the processor must have.
    explicit byte_finder(const char_table& set, bool wide = cpu::Has(cpu::Feature::kAvx2));

    // The first position in [first, last) whose byte is in the set, or last.
    const char* find(const char* first, const char* last) const;
    // The last position in [first, last) whose byte is in the set, or nullptr.
    const char* find_last(const char* first, const char* last) const;

private:
    static constexpr unsigned kMostCompared = 3;

    // Looks from first on in whole steps of the AVX2 scan: the first member,
    // or nullptr with first left where the bytes not looked at begin.
#if RERIDU_X86
    RERIDU_AVX2_FUNCTION const char* find_wide(const char*& first, const char* last) const;
#endif

    char_table set_;                      // the members
    unsigned compared_ = 0;               // members when there are at most kMostCompared, else 0
    unsigned char bytes_[kMostCompared];  // those members, the first repeated to fill the rest
    bool wide_ = false;                   // compared with AVX2
};

}  // namespace regex::detail
