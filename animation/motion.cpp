#include "animation/motion.h"

#include <cmath>

namespace animation {
namespace {

// In 64 bits: the distance between two 32-bit coordinates can exceed 32 bits.
std::int32_t Interpolate(std::int32_t start, std::int32_t end, double t) {
    const double distance = static_cast<double>(end) - static_cast<double>(start);
    return static_cast<std::int32_t>(start + static_cast<std::int64_t>(std::ceil(distance * t)));
}

}  // namespace

Frame FrameAt(Point from, Point to, std::uint32_t duration, std::uint32_t elapsed) {
    if (elapsed >= duration) return {to, 100, true};
    const double t = static_cast<double>(elapsed) / static_cast<double>(duration);
    return {{Interpolate(from.x, to.x, t), Interpolate(from.y, to.y, t)}, static_cast<int>(std::ceil(t * 100.0)), false};
}

}  // namespace animation
