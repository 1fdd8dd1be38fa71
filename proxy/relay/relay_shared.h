#pragma once
// What a relay shares with its accept thread and its detached workers. Each
// of them holds a reference, so the last one to finish frees it, whichever
// that is.

#include <memory>

#include "proxy/relay/upstream_info.h"
#include "proxy/relay/win_handles.h"

namespace relay {

class RelayShared {
public:
    RelayShared();

    // False when the events could not be created; the relay then never starts.
    bool Usable() const { return stop_.valid() && no_workers_.valid(); }

    WSAEVENT StopEvent() const { return stop_.get(); }
    void SignalStop() { WSASetEvent(stop_.get()); }
    bool Stopping() const { return IsSignalled(stop_.get()); }

    void SetUpstream(const UpstreamInfo& upstream);  // keeps the kind when upstream's is None
    UpstreamInfo Upstream();

    void WorkerStarted();
    void WorkerEnded();
    // True when no worker runs any more, or once every worker has ended
    // within timeoutMs.
    bool WaitForWorkers(DWORD timeoutMs);

private:
    CriticalSection lock_;
    UpstreamInfo upstream_;  // guarded by lock_
    int workers_ = 0;        // guarded by lock_
    UniqueWsaEvent stop_;    // manual reset: once stopped, seen by every wait
    UniqueWsaEvent no_workers_;
};

}  // namespace relay
