#include "proxy/relay/relay_shared.h"

#include <mutex>

namespace relay {

RelayShared::RelayShared()
    : stop_(WSACreateEvent()),
      no_workers_(WSACreateEvent()),
      connection_waiting_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
    if (no_workers_) WSASetEvent(no_workers_.get());
}

void RelayShared::SignalStop() {
    stopping_.store(true, std::memory_order_release);
    WSASetEvent(stop_.get());
    CloseListener();
}

bool RelayShared::Listen(UniqueSocket listener, int backlog) {
    if (listen(listener.get(), backlog) != 0 ||
        WSAEventSelect(listener.get(), connection_waiting_.get(), FD_ACCEPT) != 0)
        return false;
    std::lock_guard<CriticalSection> locked(lock_);
    listener_ = std::move(listener);
    return true;
}

bool RelayShared::Listening() {
    std::lock_guard<CriticalSection> locked(lock_);
    return listener_.valid();
}

void RelayShared::CloseListener() {
    std::lock_guard<CriticalSection> locked(lock_);
    listener_.reset();
}

UniqueSocket RelayShared::Accept() {
    WSAEVENT waitSet[] = {stop_.get(), connection_waiting_.get()};
    for (;;) {
        const DWORD woken = WSAWaitForMultipleEvents(2, waitSet, FALSE, WSA_INFINITE, FALSE);
        std::lock_guard<CriticalSection> locked(lock_);
        if (woken == WSA_WAIT_EVENT_0 + 1 && listener_) {
            UniqueSocket client(accept(listener_.get(), nullptr, nullptr));
            // Nothing to take is no failure: the connection was reset while
            // queued, which is the browser's affair only.
            const int error = client ? 0 : WSAGetLastError();
            if (error == WSAEWOULDBLOCK || error == WSAECONNRESET) continue;
            --idle_;
            return client;
        }
        --idle_;
        return UniqueSocket();
    }
}

bool RelayShared::NeedsSpareWorker() {
    std::lock_guard<CriticalSection> locked(lock_);
    return idle_ < kSpareWorkers && !Stopping();
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

void RelayShared::WorkerEndedIdle() {
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
