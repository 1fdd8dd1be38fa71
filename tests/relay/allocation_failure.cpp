#include "tests/relay/allocation_failure.h"

#include <atomic>
#include <cstdlib>
#include <limits>
#include <new>

namespace {

constexpr std::size_t kNever = std::numeric_limits<std::size_t>::max();
std::atomic<std::size_t> g_failFrom{kNever};
std::atomic<int> g_failures{0};

}  // namespace

FailLargeAllocations::FailLargeAllocations(std::size_t atLeast) { g_failFrom.store(atLeast); }
FailLargeAllocations::~FailLargeAllocations() { g_failFrom.store(kNever); }
int FailLargeAllocations::Failures() { return g_failures.load(); }

void* operator new(std::size_t size) {
    if (size >= g_failFrom.load(std::memory_order_relaxed)) {
        g_failures.fetch_add(1);
        throw std::bad_alloc();
    }
    if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
