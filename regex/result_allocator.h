#pragma once
// Where RegexMatch puts its spans: an object of the caller's, built by MSVC,
// so its layout is MSVC's: a pointer to a table of exactly one slot, and no
// destructor slot, which is why the destructor is not virtual. The library
// only calls it, on the calling thread, and never keeps or frees what it
// returns.

#include <cstdint>

#include "ult/calling_convention.h"

// One record of a match: where its text begins, counted in bytes from the
// start of the subject, and how many bytes it spans.
struct MatchSpan {
    std::uint32_t offset;
    std::uint32_t length;
};

class IRegexResultAllocator {
public:
    // Storage for count spans laid end to end; count is at least 1.
    virtual MatchSpan* RERIDU_THISCALL Allocate(int count) = 0;

protected:
    ~IRegexResultAllocator() = default;
};
