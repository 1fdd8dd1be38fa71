// The stack is one reservation whose base VirtualQuery reports for any
// address inside it. GetCurrentThreadStackLimits would say the same, but only
// from Windows 8 on, and the library must load on older systems.
#include <windows.h>

#include "regex/stack_bounds.h"

namespace regex::detail {

namespace {

std::uintptr_t query_stack_floor() {
    MEMORY_BASIC_INFORMATION region{};
    const int local = 0;
    if (VirtualQuery(&local, &region, sizeof region) == 0) return 0;
    return reinterpret_cast<std::uintptr_t>(region.AllocationBase);
}

}  // namespace

// Every search asks, and a query of the address space costs more than a
// short search; a thread's stack never moves, so ask once per thread.
std::uintptr_t thread_stack_floor() {
    thread_local const std::uintptr_t floor = query_stack_floor();
    return floor;
}

}  // namespace regex::detail
