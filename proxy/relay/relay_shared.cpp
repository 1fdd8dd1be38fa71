#include "proxy/relay/relay_shared.h"

namespace relay {

RelayShared::RelayShared() : stop_(WSACreateEvent()), no_workers_(WSACreateEvent()) {
    if (no_workers_) WSASetEvent(no_workers_.get());
}

void RelayShared::SetUpstream(const UpstreamInfo& upstream) {
    Locked locked(lock_);
    const UpstreamKind kind = upstream.kind == UpstreamKind::None ? upstream_.kind : upstream.kind;
    upstream_ = upstream;
    upstream_.kind = kind;
}

UpstreamInfo RelayShared::Upstream() {
    Locked locked(lock_);
    return upstream_;
}

void RelayShared::WorkerStarted() {
    Locked locked(lock_);
    if (workers_++ == 0) WSAResetEvent(no_workers_.get());
}

void RelayShared::WorkerEnded() {
    Locked locked(lock_);
    if (--workers_ == 0) WSASetEvent(no_workers_.get());
}

bool RelayShared::WaitForWorkers(DWORD timeoutMs) {
    return WaitForSingleObject(no_workers_.get(), timeoutMs) == WAIT_OBJECT_0;
}

}  // namespace relay
