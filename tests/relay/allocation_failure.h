#pragma once
// Allocation failure on demand for the relay's tests: while an instance
// lives, every allocation of at least a given size, on any thread, throws
// std::bad_alloc, as it would in a 32-bit browser whose address space is
// spent. The test program's global operator new is replaced for this.

#include <cstddef>

class FailLargeAllocations {
public:
    explicit FailLargeAllocations(std::size_t atLeast);
    ~FailLargeAllocations();
    FailLargeAllocations(const FailLargeAllocations&) = delete;
    FailLargeAllocations& operator=(const FailLargeAllocations&) = delete;

    // How many allocations failed so far.
    static int Failures();
};
