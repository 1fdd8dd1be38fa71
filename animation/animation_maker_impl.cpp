#include "animation/animation_maker_impl.h"

#include <mutex>
#include <new>

#include "frame/critical_section.h"
#include "animation/tick_source.h"

namespace {

struct CurrentMaker {
    CriticalSection lock;
    CKtAnimationMakerImpl* maker = nullptr;
};

// Made with the first object and kept until the library unloads.
CurrentMaker& Current() {
    static CurrentMaker current;
    return current;
}

// The frame message carries the low 16 bits of each coordinate.
WPARAM PackPosition(animation::Point position) {
    return MAKEWPARAM(static_cast<WORD>(position.x), static_cast<WORD>(position.y));
}

}  // namespace

CKtAnimationMakerImpl* CKtAnimationMakerImpl::Create(const AnimationMessageIds& messages) {
    auto* maker = new (std::nothrow) CKtAnimationMakerImpl(messages);
    if (maker == nullptr) return nullptr;
    std::lock_guard lock(Current().lock);
    Current().maker = maker;
    return maker;
}

void CKtAnimationMakerImpl::Destroy(CKtAnimationMakerImpl* maker) { delete maker; }

CKtAnimationMakerImpl::CKtAnimationMakerImpl(const AnimationMessageIds& messages) : messages_(messages) {}

CKtAnimationMakerImpl::~CKtAnimationMakerImpl() { ClearAll(); }

bool CKtAnimationMakerImpl::AddAnimation(HWND window, int startX, int startY, int endX, int endY,
                                         unsigned durationMs) {
    if (!IsWindow(window) || durationMs == 0 || (startX == endX && startY == endY)) return false;
    const AnimationRecord record{window, {startX, startY}, {endX, endY}, durationMs};
    std::lock_guard lock(Current().lock);
    try {
        // Either call leaves the maps as they were when it throws.
        if (const auto queue = queues_.find(window); queue != queues_.end())
            queue->second.push_back(record);
        else
            queues_.emplace(window, AnimationQueue{record});
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool CKtAnimationMakerImpl::StartAnimation(HWND window) {
    if (!IsWindow(window)) return false;
    std::lock_guard lock(Current().lock);
    const auto queue = queues_.find(window);
    if (queue == queues_.end() || queue->second.front().timer != 0) return false;
    PostMessageW(window, messages_.start, 0, 0);
    return StartRecord(queue->second.front());
}

void CKtAnimationMakerImpl::Initialize(unsigned framesPerSecond, bool moveSelf) {
    std::lock_guard lock(Current().lock);
    framesPerSecond_ = framesPerSecond == 0 ? 1 : framesPerSecond;
    moveSelf_ = moveSelf;
}

bool CKtAnimationMakerImpl::Reserved(int, int, int, int, int, int, int) { return false; }

// Creating or killing a thread timer and posting a message neither wait for
// another thread nor call back into a window procedure, so they are safe
// under the lock.
bool CKtAnimationMakerImpl::StartRecord(AnimationRecord& record) {
    // Above 1000 frames per second the interval is 0, which SetTimer raises to its minimum.
    const UINT_PTR timer = SetTimer(nullptr, 0, 1000 / framesPerSecond_, &OnTimer);
    if (timer == 0) return false;
    try {
        runningTimers_.emplace(timer, record.window);
    } catch (const std::bad_alloc&) {
        KillTimer(nullptr, timer);
        return false;
    }
    record.timer = timer;
    record.startTick = animation::CurrentTick();
    return true;
}

void CALLBACK CKtAnimationMakerImpl::OnTimer(HWND, UINT, UINT_PTR timer, DWORD) {
    std::optional<TickOutcome> outcome;
    {
        std::lock_guard lock(Current().lock);
        CKtAnimationMakerImpl* const maker = Current().maker;
        if (maker != nullptr) outcome = maker->Tick(timer);
        if (!outcome) {
            // No object knows this timer: its object was deleted by another
            // thread, which cannot kill it, or is older than the current one,
            // which timers no longer reach. Only its own thread can stop it.
            KillTimer(nullptr, timer);
            return;
        }
    }
    // Moving a window may wait for the window's thread and runs its window
    // procedure, which may call this object or delete it. So it happens
    // outside the lock, and what follows looks everything up again.
    if (outcome->moveTo)
        SetWindowPos(outcome->window, nullptr, outcome->moveTo->x, outcome->moveTo->y, 0, 0, SWP_NOSIZE);
    if (outcome->finished) {
        std::lock_guard lock(Current().lock);
        if (CKtAnimationMakerImpl* const maker = Current().maker; maker != nullptr) maker->Advance(timer);
    }
}

std::optional<CKtAnimationMakerImpl::TickOutcome> CKtAnimationMakerImpl::Tick(UINT_PTR timer) {
    const auto running = runningTimers_.find(timer);
    if (running == runningTimers_.end()) return std::nullopt;
    const HWND window = running->second;
    const AnimationRecord& head = queues_.find(window)->second.front();
    // Unsigned difference: right across the wrap of the 32-bit clock.
    const animation::Frame frame =
        animation::FrameAt(head.from, head.to, head.duration, animation::CurrentTick() - head.startTick);
    // The queue still counts as running until Advance.
    if (frame.finished) KillTimer(nullptr, timer);
    if (moveSelf_) return TickOutcome{window, frame.position, frame.finished};
    PostMessageW(window, messages_.frame, PackPosition(frame.position), frame.percent);
    return TickOutcome{window, std::nullopt, frame.finished};
}

void CKtAnimationMakerImpl::Advance(UINT_PTR timer) {
    const auto running = runningTimers_.find(timer);
    if (running == runningTimers_.end()) return;  // cleared while the window was being moved
    const HWND window = running->second;
    runningTimers_.erase(running);
    const auto queue = queues_.find(window);
    queue->second.pop_front();
    if (!queue->second.empty()) {
        // Without a timer the next move waits at the head for StartAnimation.
        StartRecord(queue->second.front());
        return;
    }
    queues_.erase(queue);
    PostMessageW(window, messages_.end, reinterpret_cast<WPARAM>(window), 0);
}

void CKtAnimationMakerImpl::ClearAll() {
    std::lock_guard lock(Current().lock);
    // Timer messages already on their way then find no object, or a newer
    // one that does not know their timers.
    if (Current().maker == this) Current().maker = nullptr;
    // Only the thread that made a timer can kill it; a timer of another
    // thread fires once more and is killed by OnTimer.
    for (const auto& running : runningTimers_) KillTimer(nullptr, running.first);
    runningTimers_.clear();
    queues_.clear();
}
