// The 32-bit tick count wraps every 49.7 days; a move that is under way at
// that moment must still take its whole time. The object is linked in
// directly here so the test can stand in for the clock.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "animation/animation_maker_impl.h"
#include "animation/tick_source.h"
#include "tests/animation/animation_harness.h"

namespace {

std::uint32_t g_now;  // read and advanced on this thread only

std::uint32_t FakeNow() { return g_now; }

class FakeClock {
public:
    explicit FakeClock(std::uint32_t start) {
        g_now = start;
        animation::ReplaceTickSource(FakeNow);
    }
    ~FakeClock() { animation::ReplaceTickSource(nullptr); }
    FakeClock(const FakeClock&) = delete;
    FakeClock& operator=(const FakeClock&) = delete;
};

struct DestroyMaker {
    void operator()(CKtAnimationMakerImpl* maker) const { CKtAnimationMakerImpl::Destroy(maker); }
};

}  // namespace

// 256 ms before the count wraps a one-second move starts; the clock moves a
// quarter second a tick, so the frames are exact: the wrap between the first
// and second tick changes nothing.
TEST(TickCountWrap, AMoveAcrossTheWrapTakesItsWholeTime) {
    FakeClock clock(0xFFFFFF00u);
    const std::unique_ptr<CKtAnimationMakerImpl, DestroyMaker> maker(
        CKtAnimationMakerImpl::Create(RegisteredAnimationMessages()));
    ASSERT_NE(maker, nullptr);
    const UniqueWindow window = TestWindow();
    maker->Initialize(50, false);
    ASSERT_TRUE(maker->AddAnimation(window.get(), 100, 200, 300, 200, 1000));
    ASSERT_TRUE(maker->StartAnimation(window.get()));

    MessagePump pump;
    pump.beforeTimer = [] { g_now += 250; };
    ASSERT_TRUE(pump.RunUntilEnd(window.get()));

    const std::vector<AnimationMessage> frames = pump.Of(window.get(), AnimationMessage::kFrame);
    const DecodedFrame expected[] = {{{150, 200}, 25}, {{200, 200}, 50}, {{250, 200}, 75}, {{300, 200}, 100}};
    ASSERT_EQ(frames.size(), std::size(expected));
    for (size_t i = 0; i < frames.size(); ++i) {
        const DecodedFrame frame = DecodeFrame(frames[i], {100, 200});
        EXPECT_EQ(frame.position.x, expected[i].position.x) << "frame " << i;
        EXPECT_EQ(frame.position.y, expected[i].position.y) << "frame " << i;
        EXPECT_EQ(frame.percent, expected[i].percent) << "frame " << i;
    }
}
