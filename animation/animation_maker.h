#pragma once
// The animation object as the browser sees it. The browser is built with
// MSVC, so the layout must be MSVC's: a pointer to a table of exactly these
// three slots, in this order, and no destructor slot, which is why the
// destructor is not virtual. Objects come from CreateAMObj and go back to
// DeleteAMObj; nobody deletes them through this type.

#include <windows.h>

class CKtAnimationMaker {
public:
    // Queues a slide of `window` from (startX, startY) to (endX, endY) over
    // `durationMs`. False, with nothing queued, for a handle that is not a
    // window, a duration of 0, or a move that goes nowhere.
    virtual bool __thiscall AddAnimation(HWND window, int startX, int startY, int endX, int endY,
                                         unsigned durationMs) = 0;

    // Starts the window's queue on the calling thread, which must run a
    // message loop. False when the window has nothing queued, its queue is
    // already running, or no timer could be created.
    virtual bool __thiscall StartAnimation(HWND window) = 0;

    // moveSelf: position the window directly instead of posting frame
    // messages for it to act on.
    virtual void __thiscall Initialize(unsigned framesPerSecond, bool moveSelf) = 0;

protected:
    CKtAnimationMaker() = default;
    ~CKtAnimationMaker() = default;
    CKtAnimationMaker(const CKtAnimationMaker&) = delete;
    CKtAnimationMaker& operator=(const CKtAnimationMaker&) = delete;
};
