#pragma once
// Real windows, a real message loop and the three messages as the browser
// receives them, for the tests of the animation object.

#include <windows.h>

#include <functional>
#include <optional>
#include <vector>

#include "animation/motion.h"
#include "frame/unique_object.h"
#include "frame/window_messages.h"

// The identifiers every process gets for the three names.
const AnimationMessageIds& RegisteredAnimationMessages();

struct AnimationMessage {
    enum Kind { kStart, kFrame, kEnd } kind;
    HWND window;
    WPARAM wParam;
    LPARAM lParam;
};

// A frame message read back into full coordinates. The message carries only
// the low 16 bits of each; they are widened to the value nearest `reference`.
struct DecodedFrame {
    animation::Point position;
    int percent;
};
DecodedFrame DecodeFrame(const AnimationMessage& message, animation::Point reference);

// A hidden top-level window of this thread.
UniqueWindow TestWindow(int x = 0, int y = 0, int width = 40, int height = 30);

// Dispatches this thread's messages, keeping a log of the animation messages.
class MessagePump {
public:
    // Called around each dispatch of a thread timer (a timer without a window).
    std::function<void()> beforeTimer;
    std::function<void()> afterTimer;

    // Pumps until `done` holds or `limitMs` have passed; false on the limit.
    bool RunUntil(const std::function<bool()>& done, DWORD limitMs = kPatience);
    // Until the log holds an end message for `window`.
    bool RunUntilEnd(HWND window) {
        return RunUntil([&] {
            return !log_.empty() && log_.back().kind == AnimationMessage::kEnd && log_.back().window == window;
        });
    }
    // Pumps for `ms`, to see that nothing more arrives.
    void RunFor(DWORD ms) {
        RunUntil([] { return false; }, ms);
    }

    const std::vector<AnimationMessage>& log() const { return log_; }
    // The messages for `window`, of one kind or all.
    std::vector<AnimationMessage> Of(HWND window, std::optional<AnimationMessage::Kind> kind = std::nullopt) const;
    int threadTimerMessages() const { return threadTimerMessages_; }

    // Only a safety net against a hang: a slow machine stays far below it.
    static constexpr DWORD kPatience = 20000;

private:
    std::vector<AnimationMessage> log_;
    int threadTimerMessages_ = 0;
};

// The frames of one move from `from` to `to`, as posted: each running
// frame's position must be one that the move reaches at a time its percent
// allows, the percents and positions never go back, and the last frame is
// the end point at 100 percent.
void ExpectFramesOfMove(const std::vector<AnimationMessage>& frames, animation::Point from, animation::Point to);
