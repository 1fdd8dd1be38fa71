#include "proxy/relay/relay_shared.h"

#include <mutex>

namespace relay {

RelayShared::RelayShared()
    : winsock_(UseWinsock()),
      stop_(WSACreateEvent()),
      connection_waiting_(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      short_of_workers_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

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
        const DWORD woken = WSAWaitForMultipleEvents(2, waitSet, FALSE, kIdleRetirementMs, FALSE);
        std::lock_guard<CriticalSection> locked(lock_);
        if (woken == WSA_WAIT_TIMEOUT) {
            // After a burst, the workers beyond the spares go again.
            if (idle_ <= kSpareWorkers) continue;
            --idle_;
            return UniqueSocket();
        }
        if (woken == WSA_WAIT_EVENT_0 + 1 && listener_) {
            UniqueSocket browser(accept(listener_.get(), nullptr, nullptr));
            // Nothing to take is no failure: the connection was reset while
            // queued, which is the browser's affair only.
            const int error = browser ? 0 : WSAGetLastError();
            if (error == WSAEWOULDBLOCK || error == WSAECONNRESET) continue;
            --idle_;
            return browser;
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
}

void RelayShared::WorkerEndedIdle() {
    std::lock_guard<CriticalSection> locked(lock_);
    --idle_;
}

void RelayShared::NoteWorkerShortage() { SetEvent(short_of_workers_.get()); }

bool RelayShared::ShortOfWorkers() {
    std::lock_guard<CriticalSection> locked(lock_);
    if (idle_ > 0) ResetEvent(short_of_workers_.get());
    return idle_ == 0;
}

void RelayShared::TurnAwayOne() {
    std::lock_guard<CriticalSection> locked(lock_);
    if (idle_ > 0) {
        SetEvent(connection_waiting_.get());
        return;
    }
    if (!listener_) return;
    UniqueSocket refused(accept(listener_.get(), nullptr, nullptr));
    if (!refused) return;
    // A reset, so the browser fails the request at once instead of waiting
    // for an answer that cannot come.
    const linger resetOnClose{1, 0};
    setsockopt(refused.get(), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&resetOnClose),
               sizeof resetOnClose);
}

}  // namespace relay
