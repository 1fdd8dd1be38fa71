// The animation object through ReRidu.dll, as the browser uses it: real
// windows, real thread timers and this thread's message loop. The clock is
// the real one, so frames are checked against what the move allows, never
// against how fast the machine is.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "tests/animation/animation_harness.h"
#include "tests/animation/exported_maker.h"

namespace {

using animation::Point;
using Log = std::vector<AnimationMessage>;

// The start and end messages of one window's run: nothing in their parameters but the end's window.
void ExpectStartAndEnd(const Log& log, HWND window) {
    ASSERT_GE(log.size(), 2u);
    EXPECT_TRUE(log.front().kind == AnimationMessage::kStart && log.front().wParam == 0 && log.front().lParam == 0);
    EXPECT_TRUE(log.back().kind == AnimationMessage::kEnd && log.back().lParam == 0 &&
                log.back().wParam == reinterpret_cast<WPARAM>(window));
    for (size_t i = 1; i + 1 < log.size(); ++i) EXPECT_EQ(log[i].kind, AnimationMessage::kFrame) << i;
}

// Runs one move with frame messages and returns the frames the window received.
Log RunMove(ExportedMaker& maker, Point from, Point to, unsigned durationMs) {
    const UniqueWindow window = TestWindow();
    EXPECT_TRUE(maker.AddAnimation(window.get(), from.x, from.y, to.x, to.y, durationMs));
    EXPECT_TRUE(maker.StartAnimation(window.get()));
    MessagePump pump;
    EXPECT_TRUE(pump.RunUntilEnd(window.get())) << "no end message";
    EXPECT_EQ(pump.Of(window.get()).size(), pump.log().size()) << "messages for some other window";
    ExpectStartAndEnd(pump.log(), window.get());
    return pump.Of(window.get(), AnimationMessage::kFrame);
}

}  // namespace

// A second of moving at 50 frames per second shows frames on the way; the
// last carries the end point, truncated to 16 bits a coordinate, and 100.
TEST(AnimationMaker, FrameMessagesFollowTheMoveFromStartToEnd) {
    const std::pair<Point, Point> moves[] = {{{-50, 500}, {250, -100}}, {{70000, -70000}, {70400, -69900}}};
    for (const auto& [from, to] : moves) {
        ExportedMaker maker;
        maker.Initialize(50, false);
        const Log frames = RunMove(maker, from, to, 1000);
        ASSERT_GE(frames.size(), 2u) << "no frame before the end";
        ExpectFramesOfMove(frames, from, to);
        EXPECT_EQ(frames.back().wParam, MAKEWPARAM(static_cast<WORD>(to.x), static_cast<WORD>(to.y)));
    }
}

// In move-self mode the library positions the window itself: no frame
// message, the same start and end messages, the size left alone.
TEST(AnimationMaker, MoveSelfPositionsTheWindowAndPostsNoFrame) {
    const UniqueWindow window = TestWindow(100, 200, 40, 30);
    ExportedMaker maker;
    maker.Initialize(50, true);
    ASSERT_TRUE(maker.AddAnimation(window.get(), 100, 200, 300, 260, 600));
    ASSERT_TRUE(maker.StartAnimation(window.get()));
    MessagePump pump;
    RECT previous{100, 200, 140, 230};
    pump.afterTimer = [&] {
        RECT rect{};
        GetWindowRect(window.get(), &rect);
        EXPECT_TRUE(previous.left <= rect.left && rect.left <= 300 && previous.top <= rect.top && rect.top <= 260 &&
                    rect.right - rect.left == 40 && rect.bottom - rect.top == 30)
            << rect.left << ", " << rect.top << ", " << rect.right << ", " << rect.bottom;
        previous = rect;
    };
    ASSERT_TRUE(pump.RunUntilEnd(window.get()));
    EXPECT_EQ(pump.log().size(), 2u) << "frame messages in move-self mode";
    ExpectStartAndEnd(pump.log(), window.get());
    EXPECT_EQ(previous.left, 300);
    EXPECT_EQ(previous.top, 260);
}

// Moves of one window play one after the other between a single start and a
// single end message, including a move added while the queue runs; a second
// start while it runs is refused. Each window has its own queue and timer.
TEST(AnimationMaker, QueuedMovesRunBackToBackAndWindowsIndependently) {
    const Point firstTo{200, 100}, secondFrom{500, 500}, secondTo{600, 500};
    const UniqueWindow window = TestWindow(), other = TestWindow();
    ExportedMaker maker;
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
    maker.Initialize(50, false);
    for (const HWND refused : {gone, HWND{}}) {
        EXPECT_FALSE(maker.AddAnimation(refused, 100, 200, 300, 200, 1000));
        EXPECT_FALSE(maker.StartAnimation(refused));
    }
    EXPECT_FALSE(maker.AddAnimation(window.get(), 100, 200, 100, 200, 1000)) << "goes nowhere";
    EXPECT_FALSE(maker.AddAnimation(window.get(), 100, 200, 300, 200, 0)) << "takes no time";
    EXPECT_FALSE(maker.StartAnimation(window.get())) << "nothing was queued";

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
        ExpectFramesOfMove(RunMove(maker, {0, 0}, {50, 50}, 200), {0, 0}, {50, 50});
    }
    ExportedMaker maker;
    maker.Initialize(50, true);
    maker.Initialize(0, false);
    // The first tick of a one-second timer comes after the move's 300 ms are over.
    const Log frames = RunMove(maker, {0, 0}, {50, 50}, 300);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].lParam, 100);
}

// The boundary tolerates the misuse a caller can make of it, and slot 3 of
// the table answers false.
TEST(AnimationMakerExports, CreateDeleteAndTheFourthSlot) {
    MakerObject* object = nullptr;
    EXPECT_FALSE(CreateAMObjExport()(nullptr));
    DeleteAMObjExport()(nullptr);
    DeleteAMObjExport()(&object);
    ASSERT_TRUE(CreateAMObjExport()(&object));
    EXPECT_FALSE(object->table->reserved(object, 1, 2, 3, 4, 5, 6, 7));
    const UniqueWindow window = TestWindow();
    EXPECT_TRUE(object->table->addAnimation(object, window.get(), 0, 0, 10, 10, 100)) << "after slot 3";
    DeleteAMObjExport()(&object);  // with a move still queued
    EXPECT_EQ(object, nullptr) << "the caller's pointer is cleared";
}

// Deleting the object mid-move kills its timer at once, or from another
// thread, which cannot kill this thread's timer, lets it fire at most once
// more, find no object and stop itself; either way nothing more is posted.
// Timers reach the newest object: deleting an older one must not cut them off.
TEST(AnimationMakerDelete, StopsTheMoveOfThatObjectOnly) {
    for (const bool fromAnotherThread : {false, true}) {
        ExportedMaker older, maker;
        const UniqueWindow window = TestWindow();
        maker.Initialize(50, false);
        EXPECT_TRUE(maker.AddAnimation(window.get(), 0, 0, 1000, 0, 10000));
        EXPECT_TRUE(maker.StartAnimation(window.get()));
        MessagePump pump;
        ASSERT_TRUE(pump.RunUntil([&] { return !pump.Of(window.get(), AnimationMessage::kFrame).empty(); }));
        older.Delete();
        const size_t frames = pump.Of(window.get(), AnimationMessage::kFrame).size();
        EXPECT_TRUE(pump.RunUntil([&] { return pump.Of(window.get(), AnimationMessage::kFrame).size() > frames; }))
            << "the older object's delete stopped the move";
        if (fromAnotherThread)
            std::thread([&] { maker.Delete(); }).join();
        else
            maker.Delete();
        const size_t messages = pump.log().size();
        const int ticks = pump.threadTimerMessages();
        pump.RunFor(300);  // fifteen frames' worth of time
        EXPECT_EQ(pump.log().size(), messages) << "posted after the delete";
        EXPECT_LE(pump.threadTimerMessages() - ticks, fromAnotherThread ? 1 : 0) << "the timer still runs";
    }
}
