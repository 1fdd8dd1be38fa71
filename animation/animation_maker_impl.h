#pragma once
// The animation object behind CKtAnimationMaker.
//
// Each window has a queue of moves; the head move of a running queue is
// driven by a thread timer of the thread that started it, so every frame is
// computed inside that thread's message dispatch. A frame either moves the
// window (move-self mode) or posts the frame message for the window to move
// itself. When a move's time is up its end point is delivered, the move is
// dropped and the next one starts with a fresh timer; after the last one the
// window gets the end message and loses its queue.
//
// Timer callbacks reach the newest object only, through a process-wide
// current-object pointer. One process-wide critical section guards that
// pointer and every object's maps and records. It outlives the objects, so a
// callback that runs while another thread deletes the object is safe.
//
// Invariant, under the lock: a window's queue is running exactly when its
// head record has a timer, and then the running-timer map holds that timer
// for that window; no other timer is in the map.

#include <windows.h>

#include <cstdint>
#include <deque>
#include <map>
#include <optional>

#include "animation/animation_maker.h"
#include "animation/motion.h"
#include "frame/window_messages.h"

// One queued slide of one window.
struct AnimationRecord {
    HWND window;
    animation::Point from;
    animation::Point to;
    std::uint32_t duration;       // ms, at least 1
    std::uint32_t startTick = 0;  // clock reading when the move started
    UINT_PTR timer = 0;           // 0 until the move starts
};

// Element 0 is the move that runs, or runs next.
using AnimationQueue = std::deque<AnimationRecord>;

class CKtAnimationMakerImpl final : public CKtAnimationMaker {
public:
    // A new object at 50 frames per second that posts frame messages; it
    // becomes the object that timer callbacks reach. Null when out of memory.
    static CKtAnimationMakerImpl* Create(const AnimationMessageIds& messages);

    // Kills the object's timers and drops its queues, posting nothing and
    // moving nothing, then frees it.
    static void Destroy(CKtAnimationMakerImpl* maker);

    bool __thiscall AddAnimation(HWND window, int startX, int startY, int endX, int endY,
                                 unsigned durationMs) override;
    bool __thiscall StartAnimation(HWND window) override;
    void __thiscall Initialize(unsigned framesPerSecond, bool moveSelf) override;

    // Slot 3 of the table, unused by the browser: does nothing.
    virtual bool __thiscall Reserved(int, int, int, int, int, int, int);

private:
    // What one timer tick leaves to do once the lock is released.
    struct TickOutcome {
        HWND window;
        std::optional<animation::Point> moveTo;  // move-self mode
        bool finished;                           // the move is over: advance the queue
    };

    explicit CKtAnimationMakerImpl(const AnimationMessageIds& messages);
    ~CKtAnimationMakerImpl();

    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR timer, DWORD);

    // All of these run under the lock.
    bool StartRecord(AnimationRecord& record);
    std::optional<TickOutcome> Tick(UINT_PTR timer);
    void Advance(UINT_PTR timer);
    void ClearAll();

    const AnimationMessageIds messages_;
    std::map<HWND, AnimationQueue> queues_;     // windows with queued moves
    std::map<UINT_PTR, HWND> runningTimers_;  // timer of each running queue's head move
    unsigned framesPerSecond_ = 50;
    bool moveSelf_ = false;
};
