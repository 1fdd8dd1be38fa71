#pragma once
// What a relay shares with its accept thread and its detached workers. Each
// of them holds a reference, so the last one to finish frees it, whichever
// that is.

#include <atomic>
#include <deque>
#include <memory>

#include "proxy/relay/upstream_info.h"
#include "proxy/relay/win_handles.h"

namespace relay {

class RelayShared {
public:
    RelayShared();

    // False when the events could not be created; the relay then never starts.
    bool Usable() const { return stop_.valid() && no_workers_.valid() && ready_.valid(); }

    WSAEVENT StopEvent() const { return stop_.get(); }
    // Also closes the connections no worker has taken yet.
    void SignalStop();
    // Asking the stop event would cost a call to the system on every accept.
    bool Stopping() const { return stopping_.load(std::memory_order_acquire); }

    void SetUpstream(const UpstreamInfo& upstream);  // keeps the kind when upstream's is None
    UpstreamInfo Upstream();

    // Accepted connections go to waiting workers. A worker that has finished
    // a connection waits for the next one while fewer than kMaxIdleWorkers
    // wait; the accept thread starts a worker whenever fewer than
    // kSpareWorkers are left waiting. So a browser never waits for a thread
    // to be created, which takes milliseconds under Wine.
    static constexpr int kSpareWorkers = 2;
    static constexpr int kMaxIdleWorkers = 8;
    void Hand(UniqueSocket client);
    bool NeedsSpareWorker();
    // The next connection for a waiting worker; none once the relay stops.
    UniqueSocket Take();
    // After a connection: true when the worker is to wait for another.
    bool KeepIdle();

    // Every worker thread, waiting or serving, from start to end. A worker
    // counts as waiting from WorkerStarted on.
    void WorkerStarted();
    void WorkerNotStarted();  // the thread for WorkerStarted could not be made
    void WorkerEnded();
    // True when no worker runs any more, or once every worker has ended
    // within timeoutMs.
    bool WaitForWorkers(DWORD timeoutMs);

private:
    CriticalSection lock_;
    UpstreamInfo upstream_;  // guarded by lock_
    int workers_ = 0;        // guarded by lock_
    int idle_ = 0;           // guarded by lock_: workers waiting in Take
    std::deque<UniqueSocket> handed_;  // guarded by lock_
    UniqueWsaEvent stop_;    // manual reset: once stopped, seen by every wait
    std::atomic<bool> stopping_{false};  // set with stop_
    UniqueWsaEvent no_workers_;
    UniqueHandle ready_;     // semaphore: one count per handed connection
};

}  // namespace relay
