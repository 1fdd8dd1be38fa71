#include "proxy/relay/relay_shared.h"

#include <climits>
#include <mutex>

namespace relay {

RelayShared::RelayShared()
    : stop_(WSACreateEvent()), no_workers_(WSACreateEvent()), ready_(CreateSemaphoreW(nullptr, 0, LONG_MAX, nullptr)) {
    if (no_workers_) WSASetEvent(no_workers_.get());
}

void RelayShared::SignalStop() {
    stopping_.store(true, std::memory_order_release);
    WSASetEvent(stop_.get());
    std::lock_guard<CriticalSection> locked(lock_);
    handed_.clear();
}

void RelayShared::Hand(UniqueSocket client) {
    std::lock_guard<CriticalSection> locked(lock_);
    // After SignalStop has emptied the queue nobody would take it.
    if (Stopping()) return;
    handed_.push_back(std::move(client));
    ReleaseSemaphore(ready_.get(), 1, nullptr);
}

bool RelayShared::NeedsSpareWorker() {
    std::lock_guard<CriticalSection> locked(lock_);
    return idle_ - static_cast<int>(handed_.size()) < kSpareWorkers;
}

UniqueSocket RelayShared::Take() {
    HANDLE waitSet[] = {stop_.get(), ready_.get()};
    for (;;) {
        const DWORD woken = WaitForMultipleObjects(2, waitSet, FALSE, INFINITE);
        std::lock_guard<CriticalSection> locked(lock_);
        if (woken != WAIT_OBJECT_0 + 1) {
            --idle_;
            return UniqueSocket();
        }
        // Stop may have closed the connection this count stood for.
        if (handed_.empty()) continue;
        UniqueSocket client = std::move(handed_.front());
        handed_.pop_front();
        --idle_;
        return client;
    }
}

bool RelayShared::KeepIdle() {
    std::lock_guard<CriticalSection> locked(lock_);
    if (idle_ >= kMaxIdleWorkers) return false;
    ++idle_;
    return true;
}

void RelayShared::SetUpstream(const UpstreamInfo& upstream) {
    std::lock_guard<CriticalSection> locked(lock_);
    const UpstreamKind kind = upstream.kind == UpstreamKind::None ? upstream_.kind : upstream.kind;
    upstream_ = upstream;
    upstream_.kind = kind;
}

UpstreamInfo RelayShared::Upstream() {
    std::lock_guard<CriticalSection> locked(lock_);
    return upstream_;
}

void RelayShared::WorkerStarted() {
    std::lock_guard<CriticalSection> locked(lock_);
    ++idle_;
    if (workers_++ == 0) WSAResetEvent(no_workers_.get());
}

void RelayShared::WorkerNotStarted() {
    {
        std::lock_guard<CriticalSection> locked(lock_);
        --idle_;
    }
    WorkerEnded();
}

void RelayShared::WorkerEnded() {
    std::lock_guard<CriticalSection> locked(lock_);
    if (--workers_ == 0) WSASetEvent(no_workers_.get());
}

bool RelayShared::WaitForWorkers(DWORD timeoutMs) {
    return WaitForSingleObject(no_workers_.get(), timeoutMs) == WAIT_OBJECT_0;
}

}  // namespace relay
