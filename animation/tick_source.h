#pragma once
// The millisecond clock that times every move: GetTickCount, called at the
// moment of each reading. Tests replace it to run a move across the point
// where the 32-bit count wraps, which the real clock reaches once in 49.7 days.

#include <cstdint>

namespace animation {

using TickSource = std::uint32_t (*)();

std::uint32_t CurrentTick();

// nullptr goes back to GetTickCount.
void ReplaceTickSource(TickSource replacement);

}  // namespace animation
