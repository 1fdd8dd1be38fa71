#include "animation/motion.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

using animation::FrameAt;
using animation::Point;

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

struct FrameCase {
    const char* what;
    Point from, to;
    std::uint32_t duration, elapsed;
    Point position;
    int percent;
    bool finished;
};

const FrameCase kFrameCases[] = {
    {"at the start", {100, 200}, {300, 200}, 1000, 0, {100, 200}, 0, false},
    {"one frame in at 50 per second", {100, 200}, {300, 200}, 1000, 20, {104, 200}, 2, false},
    {"halfway", {100, 200}, {300, 200}, 1000, 500, {200, 200}, 50, false},
    // 200 * 0.14 is 28.000000000000004 in double precision, but 28 in the
    // x87's extended precision: position and percent must come from doubles.
    {"t = 0.14 rounded as a double", {100, 200}, {300, 200}, 1000, 140, {129, 200}, 15, false},
    {"a positive distance rounds away from the start", {100, 200}, {300, 200}, 1000, 503, {201, 200}, 51, false},
    {"a negative distance rounds toward the start", {300, 200}, {100, 200}, 1000, 503, {200, 200}, 51, false},
    {"the last millisecond is still running", {100, 200}, {300, 200}, 1000, 999, {300, 200}, 100, false},
    {"time is up", {100, 200}, {300, 200}, 1000, 1000, {300, 200}, 100, true},
    {"long past the end", {100, 200}, {300, 200}, 1000, 0xFFFFFFFFu, {300, 200}, 100, true},
    {"percent rounds up", {0, 0}, {0, 100}, 3, 1, {0, 34}, 34, false},
    {"both axes, opposite ways", {-50, 500}, {250, -100}, 600, 150, {25, 350}, 25, false},
    {"a one-millisecond move", {0, 0}, {10, 10}, 1, 0, {0, 0}, 0, false},
    {"the whole 32-bit range, halfway", {kMin, kMax}, {kMax, kMin}, 2, 1, {0, 0}, 50, false},
};

}  // namespace

TEST(MoveFrames, PositionAndPercentFollowTheTime) {
    for (const FrameCase& c : kFrameCases) {
        SCOPED_TRACE(c.what);
        const animation::Frame frame = FrameAt(c.from, c.to, c.duration, c.elapsed);
        EXPECT_EQ(frame.position.x, c.position.x);
        EXPECT_EQ(frame.position.y, c.position.y);
        EXPECT_EQ(frame.percent, c.percent);
        EXPECT_EQ(frame.finished, c.finished);
    }
}
