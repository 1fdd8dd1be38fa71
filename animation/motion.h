#pragma once
// Where a window stands during a move: plain arithmetic, no platform calls.

#include <cstdint>

namespace animation {

struct Point {
    std::int32_t x;
    std::int32_t y;
};

struct Frame {
    Point position;
    int percent;    // ceil(100 t) while running, 100 once finished
    bool finished;  // the move's time is up and `position` is its end point
};

// The frame of a move from `from` to `to` lasting `duration` ms (at least 1),
// `elapsed` ms after it started. With t = elapsed / duration, each coordinate
// is start + ceil(distance * t): a positive distance rounds away from the
// start and a negative one toward it, and no coordinate leaves the segment
// between its two ends, however far apart they are.
Frame FrameAt(Point from, Point to, std::uint32_t duration, std::uint32_t elapsed);

}  // namespace animation
