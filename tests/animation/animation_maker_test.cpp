// The animation object through ReRidu.dll, as the browser uses it: real
// windows, real thread timers and this thread's message loop. The clock is
// the real one, so frames are checked against what the move allows at their
// percent, never against how fast the machine is.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "tests/animation/animation_harness.h"
#include "tests/animation/exported_maker.h"

namespace {

using animation::Point;
using Log = std::vector<AnimationMessage>;

struct MoveCase {
    const char* name;
    Point from;
    Point to;
    unsigned durationMs;
};

class FrameMessages : public ::testing::TestWithParam<MoveCase> {};

// The start and end messages of one window's run: nothing in their parameters but the end's window.
void ExpectStartAndEnd(const Log& log, HWND window) {
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log.front().kind, AnimationMessage::kStart);
    EXPECT_EQ(log.front().wParam, 0u);
    EXPECT_EQ(log.front().lParam, 0);
    EXPECT_EQ(log.back().kind, AnimationMessage::kEnd);
    EXPECT_EQ(log.back().wParam, reinterpret_cast<WPARAM>(window));
    EXPECT_EQ(log.back().lParam, 0);
    for (size_t i = 1; i + 1 < log.size(); ++i) EXPECT_EQ(log[i].kind, AnimationMessage::kFrame) << i;
}

// Runs one move with frame messages and returns the frames the window received.
Log RunMove(ExportedMaker& maker, const MoveCase& move) {
    const UniqueWindow window = TestWindow();
    EXPECT_TRUE(maker.AddAnimation(window.get(), move.from.x, move.from.y, move.to.x, move.to.y, move.durationMs));
    EXPECT_TRUE(maker.StartAnimation(window.get()));
    MessagePump pump;
    EXPECT_TRUE(pump.RunUntilEnd(window.get())) << "no end message";
    EXPECT_EQ(pump.Of(window.get()).size(), pump.log().size()) << "messages for some other window";
    ExpectStartAndEnd(pump.log(), window.get());
    return pump.Of(window.get(), AnimationMessage::kFrame);
}

}  // namespace

// A second of moving at 50 frames per second shows frames on the way, each
// where the move is at its percent; the last carries the end point,
// truncated to 16 bits a coordinate, and 100.
TEST_P(FrameMessages, FollowTheMoveFromStartToEnd) {
    const MoveCase& move = GetParam();
    ExportedMaker maker;
    ASSERT_NE(maker.object(), nullptr);
    maker.Initialize(50, false);
    const Log frames = RunMove(maker, move);
    ASSERT_GE(frames.size(), 2u) << "no frame before the end";
    ExpectFramesOfMove(frames, move.from, move.to);
    EXPECT_EQ(frames.back().wParam, MAKEWPARAM(static_cast<WORD>(move.to.x), static_cast<WORD>(move.to.y)));
}

INSTANTIATE_TEST_SUITE_P(Moves, FrameMessages,
                         ::testing::Values(MoveCase{"AlongX", {100, 200}, {300, 200}, 1000},
                                           MoveCase{"NegativeDistance", {300, 200}, {100, 200}, 1000},
                                           MoveCase{"BothAxesOppositeWays", {-50, 500}, {250, -100}, 1000},
                                           MoveCase{"Beyond16Bits", {70000, -70000}, {70400, -69900}, 1000}),
                         [](const ::testing::TestParamInfo<MoveCase>& move) { return move.param.name; });

// In move-self mode the library positions the window itself: no frame
// message, the same start and end messages, the size left alone.
TEST(AnimationMaker, MoveSelfPositionsTheWindowAndPostsNoFrame) {
    const UniqueWindow window = TestWindow(100, 200, 40, 30);
    ExportedMaker maker;
    ASSERT_NE(maker.object(), nullptr);
    maker.Initialize(50, true);
    ASSERT_TRUE(maker.AddAnimation(window.get(), 100, 200, 300, 260, 600));
    ASSERT_TRUE(maker.StartAnimation(window.get()));

    std::vector<RECT> seen;
    MessagePump pump;
    pump.afterTimer = [&] {
        RECT rect{};
        GetWindowRect(window.get(), &rect);
        seen.push_back(rect);
    };
    ASSERT_TRUE(pump.RunUntilEnd(window.get()));
    EXPECT_EQ(pump.log().size(), 2u) << "frame messages in move-self mode";
    ExpectStartAndEnd(pump.log(), window.get());

    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back().left, 300);
    EXPECT_EQ(seen.back().top, 260);
    RECT previous{100, 200, 140, 230};
    for (const RECT& rect : seen) {
        EXPECT_GE(rect.left, previous.left);
        EXPECT_GE(rect.top, previous.top);
        EXPECT_LE(rect.left, 300);
        EXPECT_LE(rect.top, 260);
        EXPECT_EQ(rect.right - rect.left, 40);
        EXPECT_EQ(rect.bottom - rect.top, 30);
        previous = rect;
    }
}

// Moves of one window play one after the other between a single start and a
// single end message, including a move added while the queue runs; a second
// start while it runs is refused. Each window has its own queue and timer.
TEST(AnimationMaker, QueuedMovesRunBackToBackAndWindowsIndependently) {
    const Point firstTo{200, 100}, secondFrom{500, 500}, secondTo{600, 500};
    const UniqueWindow window = TestWindow(), other = TestWindow();
    ExportedMaker maker;
    ASSERT_NE(maker.object(), nullptr);
    maker.Initialize(50, false);
    ASSERT_TRUE(maker.AddAnimation(window.get(), 100, 100, firstTo.x, firstTo.y, 400));
    ASSERT_TRUE(maker.AddAnimation(other.get(), 0, 0, 0, -300, 600));
    ASSERT_TRUE(maker.StartAnimation(window.get()));
    ASSERT_TRUE(maker.StartAnimation(other.get()));
    ASSERT_TRUE(maker.AddAnimation(window.get(), secondFrom.x, secondFrom.y, secondTo.x, secondTo.y, 400));
    EXPECT_FALSE(maker.StartAnimation(window.get()));

    MessagePump pump;
    ASSERT_TRUE(pump.RunUntil([&] {
        return !pump.Of(window.get(), AnimationMessage::kEnd).empty() &&
               !pump.Of(other.get(), AnimationMessage::kEnd).empty();
    }));
    ExpectStartAndEnd(pump.Of(window.get()), window.get());
    ExpectStartAndEnd(pump.Of(other.get()), other.get());
    ExpectFramesOfMove(pump.Of(other.get(), AnimationMessage::kFrame), {0, 0}, {0, -300});

    // The two moves lie apart on y, which tells their frames apart.
    const Log frames = pump.Of(window.get(), AnimationMessage::kFrame);
    size_t split = 0;
    while (split < frames.size() && DecodeFrame(frames[split], {100, 100}).position.y == 100) ++split;
    ExpectFramesOfMove({frames.begin(), frames.begin() + split}, {100, 100}, firstTo);
    ExpectFramesOfMove({frames.begin() + split, frames.end()}, secondFrom, secondTo);
}

// Calls the object must refuse answer false and leave no trace: nothing
// queued, nothing posted, no timer.
TEST(AnimationMaker, RefusedCallsQueueAndPostNothing) {
    const UniqueWindow window = TestWindow();
    const HWND gone = TestWindow().get();
    ExportedMaker maker;
    ASSERT_NE(maker.object(), nullptr);
    maker.Initialize(50, false);

    EXPECT_FALSE(maker.AddAnimation(gone, 100, 200, 300, 200, 1000)) << "not a window";
    EXPECT_FALSE(maker.AddAnimation(nullptr, 100, 200, 300, 200, 1000)) << "null window";
    EXPECT_FALSE(maker.AddAnimation(window.get(), 100, 200, 100, 200, 1000)) << "goes nowhere";
    EXPECT_FALSE(maker.AddAnimation(window.get(), 100, 200, 300, 200, 0)) << "takes no time";
    EXPECT_FALSE(maker.StartAnimation(window.get())) << "nothing was queued";
    EXPECT_FALSE(maker.StartAnimation(gone));
    EXPECT_FALSE(maker.StartAnimation(nullptr));

    MessagePump pump;
    pump.RunFor(0);  // what is already in the queue
    EXPECT_TRUE(pump.log().empty());
    EXPECT_EQ(pump.threadTimerMessages(), 0);
    EXPECT_TRUE(maker.AddAnimation(window.get(), 100, 200, 100, 201, 1000)) << "a move along one axis";
}

// Without Initialize the object runs at its defaults (frame messages), and a
// later Initialize replaces the earlier one; 0 frames per second means one.
TEST(AnimationMaker, InitializeIsOptionalAndTheLastOneHolds) {
    {
        ExportedMaker maker;
        ASSERT_NE(maker.object(), nullptr);
        ExpectFramesOfMove(RunMove(maker, {"", {0, 0}, {50, 50}, 200}), {0, 0}, {50, 50});
    }
    ExportedMaker maker;
    ASSERT_NE(maker.object(), nullptr);
    maker.Initialize(50, true);
    maker.Initialize(0, false);
    // The first tick of a one-second timer comes after the move's 300 ms are over.
    const Log frames = RunMove(maker, {"", {0, 0}, {50, 50}, 300});
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].lParam, 100);
}

// The boundary tolerates the misuse a caller can make of it, and slot 3 of
// the table answers false.
TEST(AnimationMakerExports, CreateDeleteAndTheFourthSlot) {
    ASSERT_NE(CreateAMObjExport(), nullptr);
    ASSERT_NE(DeleteAMObjExport(), nullptr);
    EXPECT_FALSE(CreateAMObjExport()(nullptr));
    DeleteAMObjExport()(nullptr);
    MakerObject* none = nullptr;
    DeleteAMObjExport()(&none);

    MakerObject* object = nullptr;
    ASSERT_TRUE(CreateAMObjExport()(&object));
    ASSERT_NE(object, nullptr);
    EXPECT_FALSE(object->table->reserved(object, 1, 2, 3, 4, 5, 6, 7));
    const UniqueWindow window = TestWindow();
    EXPECT_TRUE(object->table->addAnimation(object, window.get(), 0, 0, 10, 10, 100)) << "after slot 3";

    DeleteAMObjExport()(&object);  // with a move still queued
    EXPECT_EQ(object, nullptr) << "the caller's pointer is cleared";
    DeleteAMObjExport()(&object);
}

namespace {

// Starts a move, long enough by default to outlast any test that stops it,
// and pumps until its first frame has arrived.
struct MoveUnderWay {
    UniqueWindow window = TestWindow();
    MessagePump pump;

    explicit MoveUnderWay(ExportedMaker& maker, unsigned durationMs = 10000) {
        maker.Initialize(50, false);
        EXPECT_TRUE(maker.AddAnimation(window.get(), 0, 0, 1000, 0, durationMs));
        EXPECT_TRUE(maker.StartAnimation(window.get()));
        EXPECT_TRUE(pump.RunUntil([&] { return !pump.Of(window.get(), AnimationMessage::kFrame).empty(); }));
    }

    // Pumps for fifteen frames' worth of time, ample for a timer that was
    // left running to show itself, and returns the timer messages it saw.
    int TicksOfQuietSpell() {
        const size_t messages = pump.log().size();
        const int ticks = pump.threadTimerMessages();
        pump.RunFor(300);
        EXPECT_EQ(pump.log().size(), messages) << "posted after the delete";
        return pump.threadTimerMessages() - ticks;
    }
};

}  // namespace

// Deleting the object mid-move kills its timer at once and posts nothing more.
TEST(AnimationMakerDelete, DuringAMovePostsNothingMore) {
    ExportedMaker maker;
    ASSERT_NE(maker.object(), nullptr);
    MoveUnderWay move(maker);
    maker.Delete();
    EXPECT_EQ(move.TicksOfQuietSpell(), 0) << "the timer still runs";
}

// Another thread cannot kill this thread's timer; it fires at most once
// more, finds no object, stops itself and posts nothing.
TEST(AnimationMakerDelete, FromAnotherThreadLeavesNoTimerRunning) {
    ExportedMaker maker;
    ASSERT_NE(maker.object(), nullptr);
    MoveUnderWay move(maker);
    std::thread([&] { maker.Delete(); }).join();
    EXPECT_LE(move.TicksOfQuietSpell(), 1) << "the timer still runs";
}

// Timers reach the newest object; deleting an older one must not cut them off.
TEST(AnimationMakerDelete, AnOlderObjectLeavesTheNewestRunning) {
    ExportedMaker older;
    ExportedMaker newest;
    ASSERT_NE(newest.object(), nullptr);
    MoveUnderWay move(newest, 500);
    older.Delete();
    ASSERT_TRUE(move.pump.RunUntilEnd(move.window.get()));
    ExpectFramesOfMove(move.pump.Of(move.window.get(), AnimationMessage::kFrame), {0, 0}, {1000, 0});
}
