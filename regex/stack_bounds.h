#pragma once
// The one platform question of the engine: how far down may the calling
// thread's stack still grow. Answered per platform in stack_bounds_*.cpp.

#include <cstdint>

namespace regex::detail {

// The lowest address of the calling thread's stack reservation, or 0 when
// the platform cannot tell.
std::uintptr_t thread_stack_floor();

}  // namespace regex::detail
