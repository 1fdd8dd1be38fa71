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

struct MoveCase {
    const char* name;
    Point from;
    Point to;
    unsigned durationMs;
};

class FrameMessages : public ::testing::TestWithParam<MoveCase> {};

std::string MoveName(const ::testing::TestParamInfo<MoveCase>& info) { return info.param.name; }

bool IsStart(const AnimationMessage& message, HWND window) {
    return message.kind == AnimationMessage::kStart && message.window == window && message.wParam == 0 &&
           message.lParam == 0;
}

bool IsEnd(const AnimationMessage& message, HWND window) {
    return message.kind == AnimationMessage::kEnd && message.window == window &&
           message.wParam == reinterpret_cast<WPARAM>(window) && message.lParam == 0;
}

size_t Count(const std::vector<AnimationMessage>& log, AnimationMessage::Kind kind) {
    size_t count = 0;
    for (const AnimationMessage& message : log) count += message.kind == kind;
    return count;
}

// Runs one move with frame messages and returns what the window received.
std::vector<AnimationMessage> RunMove(ExportedMaker& maker, const MoveCase& move) {
    TestWindow window(0, 0);
    EXPECT_TRUE(maker.AddAnimation(window.handle(), move.from.x, move.from.y, move.to.x, move.to.y,
                                   move.durationMs));
    EXPECT_TRUE(maker.StartAnimation(window.handle()));
    MessagePump pump;
    EXPECT_TRUE(pump.RunUntilEnd(window.handle())) << "no end message";
    const std::vector<AnimationMessage> log = pump.LogFor(window.handle());
    EXPECT_EQ(log.size(), pump.log().size()) << "messages for some other window";
    if (log.size() < 3) {
        ADD_FAILURE() << "expected a start, frames and an end; got " << log.size() << " messages";
        return {};
    }
    EXPECT_TRUE(IsStart(log.front(), window.handle()));
    EXPECT_TRUE(IsEnd(log.back(), window.handle()));
    const std::vector<AnimationMessage> frames(log.begin() + 1, log.end() - 1);
    EXPECT_EQ(Count(frames, AnimationMessage::kFrame), frames.size()) << "a second start or end";
    return frames;
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
    const std::vector<AnimationMessage> frames = RunMove(maker, move);
    ASSERT_GE(frames.size(), 2u) << "no frame before the end";
    EXPECT_LT(frames.front().lParam, 100);
    ExpectFramesOfMove(frames, move.from, move.to);
    EXPECT_EQ(frames.back().wParam, MAKEWPARAM(static_cast<WORD>(move.to.x), static_cast<WORD>(move.to.y)));
    EXPECT_EQ(frames.back().lParam, 100);
}

INSTANTIATE_TEST_SUITE_P(Moves, FrameMessages,
                         ::testing::Values(MoveCase{"AlongX", {100, 200}, {300, 200}, 1000},
                                           MoveCase{"NegativeDistance", {300, 200}, {100, 200}, 1000},
                                           MoveCase{"BothAxesOppositeWays", {-50, 500}, {250, -100}, 1000},
                                           MoveCase{"Beyond16Bits", {70000, -70000}, {70400, -69900}, 1000}),
                         MoveName);

// In move-self mode the library positions the window itself: no frame
// message, the same start and end messages, the size left alone.
TEST(AnimationMaker, MoveSelfPositionsTheWindowAndPostsNoFrame) {
    TestWindow window(100, 200, 40, 30);
    ExportedMaker maker;
    ASSERT_NE(maker.object(), nullptr);
    maker.Initialize(50, true);
    ASSERT_TRUE(maker.AddAnimation(window.handle(), 100, 200, 300, 260, 600));
    ASSERT_TRUE(maker.StartAnimation(window.handle()));

    std::vector<RECT> seen;
    MessagePump pump;
    pump.afterTimer = [&] { seen.push_back(window.Rect()); };
    ASSERT_TRUE(pump.RunUntilEnd(window.handle()));

    const std::vector<AnimationMessage>& log = pump.log();
    ASSERT_EQ(log.size(), 2u) << "frame messages in move-self mode";
    EXPECT_TRUE(IsStart(log[0], window.handle()));
    EXPECT_TRUE(IsEnd(log[1], window.handle()));

    const RECT last = window.Rect();
    EXPECT_EQ(last.left, 300);
    EXPECT_EQ(last.top, 260);
    EXPECT_EQ(last.right - last.left, 40);
    EXPECT_EQ(last.bottom - last.top, 30);
    ASSERT_FALSE(seen.empty());
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

// Moves of one window play one after the other between a single start and
// a single end message, including a move added while the queue runs; a
// second start while it runs is refused and posts nothing.
TEST(AnimationMaker, QueuedMovesRunBackToBack) {
    const Point firstFrom{100, 100}, firstTo{200, 100}, secondFrom{500, 500}, secondTo{600, 500};
    TestWindow window(0, 0);
    ExportedMaker maker;
    ASSERT_NE(maker.object(), nullptr);
    maker.Initialize(50, false);
    ASSERT_TRUE(maker.AddAnimation(window.handle(), firstFrom.x, firstFrom.y, firstTo.x, firstTo.y, 400));
    ASSERT_TRUE(maker.StartAnimation(window.handle()));
    ASSERT_TRUE(maker.AddAnimation(window.handle(), secondFrom.x, secondFrom.y, secondTo.x, secondTo.y, 400));
    EXPECT_FALSE(maker.StartAnimation(window.handle()));

    MessagePump pump;
    ASSERT_TRUE(pump.RunUntilEnd(window.handle()));
    const std::vector<AnimationMessage>& log = pump.log();
    EXPECT_EQ(Count(log, AnimationMessage::kStart), 1u);
    EXPECT_EQ(Count(log, AnimationMessage::kEnd), 1u);
    ASSERT_TRUE(IsStart(log.front(), window.handle()));

    // The two moves lie apart on y, which tells their frames apart.
    const std::vector<AnimationMessage> frames = pump.FramesFor(window.handle());
    size_t split = 0;
    while (split < frames.size() && DecodeFrame(frames[split], firstFrom).position.y == firstFrom.y) ++split;
    ExpectFramesOfMove({frames.begin(), frames.begin() + split}, firstFrom, firstTo);
    ExpectFramesOfMove({frames.begin() + split, frames.end()}, secondFrom, secondTo);
}

// Each window has its own queue and timer; their moves overlap in time.
TEST(AnimationMaker, WindowsAnimateIndependently) {
    TestWindow first(0, 0), second(0, 0);
    ExportedMaker maker;
    ASSERT_NE(maker.object(), nullptr);
    maker.Initialize(50, false);
    ASSERT_TRUE(maker.AddAnimation(first.handle(), 0, 0, 100, 0, 300));
    ASSERT_TRUE(maker.AddAnimation(second.handle(), 0, 0, 0, -300, 600));
    ASSERT_TRUE(maker.StartAnimation(first.handle()));
    ASSERT_TRUE(maker.StartAnimation(second.handle()));

    MessagePump pump;
    ASSERT_TRUE(pump.RunUntil([&] { return Count(pump.log(), AnimationMessage::kEnd) == 2; }));
    for (const auto& [window, to] : {std::pair{first.handle(), Point{100, 0}}, std::pair{second.handle(), Point{0, -300}}}) {
        const std::vector<AnimationMessage> log = pump.LogFor(window);
        ASSERT_GE(log.size(), 3u);
        EXPECT_TRUE(IsStart(log.front(), window));
        EXPECT_TRUE(IsEnd(log.back(), window));
        ExpectFramesOfMove(pump.FramesFor(window), {0, 0}, to);
    }
}

// Calls the object must refuse answer false and leave no trace: nothing
// queued, nothing posted, no timer.
TEST(AnimationMaker, RefusedCallsQueueAndPostNothing) {
    TestWindow window(0, 0), gone(0, 0);
    gone.Destroy();
    ExportedMaker maker;
    ASSERT_NE(maker.object(), nullptr);
    maker.Initialize(50, false);

    EXPECT_FALSE(maker.AddAnimation(gone.handle(), 100, 200, 300, 200, 1000)) << "not a window";
    EXPECT_FALSE(maker.AddAnimation(nullptr, 100, 200, 300, 200, 1000)) << "null window";
    EXPECT_FALSE(maker.AddAnimation(window.handle(), 100, 200, 100, 200, 1000)) << "goes nowhere";
    EXPECT_FALSE(maker.AddAnimation(window.handle(), 100, 200, 300, 200, 0)) << "takes no time";
    EXPECT_FALSE(maker.StartAnimation(window.handle())) << "nothing was queued";
    EXPECT_FALSE(maker.StartAnimation(gone.handle()));
    EXPECT_FALSE(maker.StartAnimation(nullptr));

    MessagePump pump;
    pump.RunFor(0);  // what is already in the queue
    EXPECT_TRUE(pump.log().empty());
    EXPECT_EQ(pump.threadTimerMessages(), 0);

    // A move along one axis goes somewhere.
    EXPECT_TRUE(maker.AddAnimation(window.handle(), 100, 200, 100, 201, 1000));
}

// Without Initialize the object runs at its defaults (frame messages), and a
// later Initialize replaces the earlier one; 0 frames per second means one.
TEST(AnimationMaker, InitializeIsOptionalAndTheLastOneHolds) {
    {
        ExportedMaker maker;
        ASSERT_NE(maker.object(), nullptr);
        const std::vector<AnimationMessage> frames = RunMove(maker, {"", {0, 0}, {50, 50}, 200});
        ExpectFramesOfMove(frames, {0, 0}, {50, 50});
    }
    ExportedMaker maker;
    ASSERT_NE(maker.object(), nullptr);
    maker.Initialize(50, true);
    maker.Initialize(0, false);
    // The first tick of a one-second timer comes after the move's 300 ms are over.
    const std::vector<AnimationMessage> frames = RunMove(maker, {"", {0, 0}, {50, 50}, 300});
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
    TestWindow window(0, 0);
    EXPECT_TRUE(object->table->addAnimation(object, window.handle(), 0, 0, 10, 10, 100)) << "after slot 3";

    DeleteAMObjExport()(&object);  // with a move still queued
    EXPECT_EQ(object, nullptr) << "the caller's pointer is cleared";
    DeleteAMObjExport()(&object);
}

namespace {

// Starts a move and pumps until its first frame has arrived.
struct MoveUnderWay {
    TestWindow window{0, 0};
    MessagePump pump;

    // Long enough by default to outlast any test that stops it.
    explicit MoveUnderWay(ExportedMaker& maker, unsigned durationMs = 10000) {
        maker.Initialize(50, false);
        EXPECT_TRUE(maker.AddAnimation(window.handle(), 0, 0, 1000, 0, durationMs));
        EXPECT_TRUE(maker.StartAnimation(window.handle()));
        EXPECT_TRUE(pump.RunUntil([&] { return !pump.FramesFor(window.handle()).empty(); }));
    }
};

// Fifteen frames' worth of time: ample for a timer that was left running
// to show itself.
constexpr DWORD kQuietSpell = 300;

}  // namespace

// Deleting the object mid-move kills its timer at once and posts nothing more.
TEST(AnimationMakerDelete, DuringAMovePostsNothingMore) {
    ExportedMaker maker;
    ASSERT_NE(maker.object(), nullptr);
    MoveUnderWay move(maker);
    maker.Delete();
    const size_t messages = move.pump.log().size();
    const int ticks = move.pump.threadTimerMessages();
    move.pump.RunFor(kQuietSpell);
    EXPECT_EQ(move.pump.log().size(), messages);
    EXPECT_EQ(move.pump.threadTimerMessages(), ticks) << "the timer still runs";
}

// Another thread cannot kill this thread's timer; it fires at most once
// more, finds no object, stops itself and posts nothing.
TEST(AnimationMakerDelete, FromAnotherThreadLeavesNoTimerRunning) {
    ExportedMaker maker;
    ASSERT_NE(maker.object(), nullptr);
    MoveUnderWay move(maker);
    std::thread([&] { maker.Delete(); }).join();
    const size_t messages = move.pump.log().size();
    const int ticks = move.pump.threadTimerMessages();
    move.pump.RunFor(kQuietSpell);
    EXPECT_EQ(move.pump.log().size(), messages);
    EXPECT_LE(move.pump.threadTimerMessages(), ticks + 1) << "the timer still runs";
}

// Timers reach the newest object; deleting an older one must not cut them off.
TEST(AnimationMakerDelete, AnOlderObjectLeavesTheNewestRunning) {
    ExportedMaker older;
    ExportedMaker newest;
    ASSERT_NE(newest.object(), nullptr);
    MoveUnderWay move(newest, 500);
    older.Delete();
    ASSERT_TRUE(move.pump.RunUntilEnd(move.window.handle()));
    ExpectFramesOfMove(move.pump.FramesFor(move.window.handle()), {0, 0}, {1000, 0});
}
