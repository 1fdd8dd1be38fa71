#include "tests/animation/animation_harness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "frame/tick_deadline.h"

namespace {

constexpr wchar_t kWindowClass[] = L"ReRiduAnimationTestWindow";

std::int32_t Widen(WORD low, std::int32_t reference) {
    return static_cast<std::int32_t>(reference +
                                     static_cast<std::int16_t>(static_cast<WORD>(low - static_cast<WORD>(reference))));
}

// Whether start + ceil(distance * t) for some t in [lo, hi] is `value`, one
// either way for the rounding of t itself; the exact values are pinned elsewhere.
bool Reachable(std::int64_t value, std::int32_t start, std::int32_t end, double lo, double hi) {
    const double distance = static_cast<double>(end) - start;
    const auto a = static_cast<std::int64_t>(std::ceil(distance * lo));
    const auto b = static_cast<std::int64_t>(std::ceil(distance * hi));
    return start + std::min(a, b) - 1 <= value && value <= start + std::max(a, b) + 1;
}

// Moving along one axis toward its end never steps back.
bool NotBack(std::int32_t before, std::int32_t after, std::int32_t start, std::int32_t end) {
    return start <= end ? before <= after : before >= after;
}

}  // namespace

const AnimationMessageIds& RegisteredAnimationMessages() {
    static const AnimationMessageIds ids{RegisterWindowMessageA("kt_animation_start"),
                                         RegisterWindowMessageA(" kt_animation_frame"),
                                         RegisterWindowMessageA("kt_animation_end")};
    return ids;
}

DecodedFrame DecodeFrame(const AnimationMessage& message, animation::Point reference) {
    EXPECT_EQ(message.wParam >> 16 >> 16, 0u) << "the position takes 32 bits";
    return {{Widen(LOWORD(message.wParam), reference.x), Widen(HIWORD(message.wParam), reference.y)},
            static_cast<int>(message.lParam)};
}

UniqueWindow TestWindow(int x, int y, int width, int height) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExW(&windowClass);  // fails harmlessly when already registered
    UniqueWindow window(CreateWindowExW(0, kWindowClass, L"animated", WS_POPUP, x, y, width, height, nullptr, nullptr,
                                        GetModuleHandleW(nullptr), nullptr));
    EXPECT_TRUE(window) << "CreateWindowExW failed: " << GetLastError();
    return window;
}

bool MessagePump::RunUntil(const std::function<bool()>& done, DWORD limitMs) {
    const AnimationMessageIds& ids = RegisteredAnimationMessages();
    const TickDeadline deadline(limitMs);
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == ids.start || message.message == ids.frame || message.message == ids.end) {
                const auto kind = message.message == ids.start   ? AnimationMessage::kStart
                                  : message.message == ids.frame ? AnimationMessage::kFrame
                                                                 : AnimationMessage::kEnd;
                log_.push_back({kind, message.hwnd, message.wParam, message.lParam});
            }
            const bool threadTimer = message.message == WM_TIMER && message.hwnd == nullptr;
            if (threadTimer) {
                ++threadTimerMessages_;
                if (beforeTimer) beforeTimer();
            }
            DispatchMessageW(&message);
            if (threadTimer && afterTimer) afterTimer();
            if (done()) return true;
        }
        const DWORD remaining = deadline.RemainingMs();
        if (remaining == 0) return false;
        MsgWaitForMultipleObjectsEx(0, nullptr, remaining, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

std::vector<AnimationMessage> MessagePump::Of(HWND window, std::optional<AnimationMessage::Kind> kind) const {
    std::vector<AnimationMessage> messages;
    for (const AnimationMessage& message : log_)
        if (message.window == window && (!kind || message.kind == *kind)) messages.push_back(message);
    return messages;
}

void ExpectFramesOfMove(const std::vector<AnimationMessage>& frames, animation::Point from, animation::Point to) {
    ASSERT_FALSE(frames.empty()) << "no frame at all";
    DecodedFrame previous{from, 0};
    for (size_t i = 0; i < frames.size(); ++i) {
        SCOPED_TRACE(::testing::Message() << "frame " << i << " of " << frames.size());
        const DecodedFrame frame = DecodeFrame(frames[i], from);
        ASSERT_GE(frame.percent, 0);
        ASSERT_LE(frame.percent, 100);
        // A percent of p means the time was in ((p - 1) / 100, p / 100].
        const double lo = frame.percent == 0 ? 0.0 : (frame.percent - 1) / 100.0, hi = frame.percent / 100.0;
        EXPECT_TRUE(Reachable(frame.position.x, from.x, to.x, lo, hi))
            << "x " << frame.position.x << " at " << frame.percent;
        EXPECT_TRUE(Reachable(frame.position.y, from.y, to.y, lo, hi))
            << "y " << frame.position.y << " at " << frame.percent;
        EXPECT_GE(frame.percent, previous.percent);
        EXPECT_TRUE(NotBack(previous.position.x, frame.position.x, from.x, to.x));
        EXPECT_TRUE(NotBack(previous.position.y, frame.position.y, from.y, to.y));
        previous = frame;
    }
    EXPECT_EQ(previous.position.x, to.x);
    EXPECT_EQ(previous.position.y, to.y);
    EXPECT_EQ(previous.percent, 100);
}
