#pragma once
// What a relay shares with its detached threads. Each of them holds a
// reference, so the last one to finish frees it, whichever that is. It holds
// its own reference on the socket library, released after everything else it
// owns, so that the relay's owner may release its own at any time.

#include <atomic>
#include <memory>

#include "proxy/relay/upstream_info.h"
#include "proxy/relay/win_handles.h"

namespace relay {

class RelayShared {
public:
    RelayShared();

    // False when the events could not be created; the relay then never starts.
    bool Usable() const {
        return winsock_.valid() && stop_.valid() && connection_waiting_.valid() && short_of_workers_.valid();
    }

    WSAEVENT StopEvent() const { return stop_.get(); }
    // Also closes the listening socket.
    void SignalStop();
    // Asking the stop event would cost a call to the system.
    bool Stopping() const { return stopping_.load(std::memory_order_acquire); }

    void SetUpstream(const UpstreamInfo& upstream);  // keeps the kind when upstream's is None
    UpstreamInfo Upstream();

    // Takes over a bound socket and listens on it; its connections go to
    // Accept. False, closing it, when it cannot listen.
    bool Listen(UniqueSocket listener, int backlog);
    bool Listening();
    void CloseListener();

    // Waiting workers take turns at accepting, and the worker that accepts a
    // connection serves it: no thread has to be woken between a browser's
    // connect and the reading of its request, which on a busy machine can
    // take as long as the rest of a CONNECT. A worker that has finished a
    // connection waits for the next one while fewer than kMaxIdleWorkers
    // wait, and a worker that takes one starts another whenever fewer than
    // kSpareWorkers are left waiting, so a browser never waits for a thread
    // to be created, which takes milliseconds under Wine.
    static constexpr int kSpareWorkers = 2;
    static constexpr int kMaxIdleWorkers = 8;
    // A waiting worker beyond the spares ends after waiting this long.
    static constexpr DWORD kIdleRetirementMs = 5000;
    // The next browser connection, for a waiting worker; none once the relay
    // stops, accepting fails for good, or the worker is not needed any more.
    // The worker no longer counts as waiting either way.
    UniqueSocket Accept();
    bool NeedsSpareWorker();
    // After a connection: true when the worker is to wait for another.
    bool KeepIdle();

    // A worker counts as waiting from WorkerStarted on, until Accept returns
    // or, when it could not begin, until WorkerEndedIdle.
    void WorkerStarted();
    void WorkerEndedIdle();

    // When no worker waits and none could be started, connections would wait
    // unseen in the listen backlog: the doorkeeper turns them away instead.
    // Signalled (manual reset) from a failed start until a worker waits again.
    HANDLE ShortOfWorkersEvent() const { return short_of_workers_.get(); }
    HANDLE ConnectionWaitingEvent() const { return connection_waiting_.get(); }
    void NoteWorkerShortage();
    // False, and the event reset, once some worker waits again.
    bool ShortOfWorkers();
    // Refuses one waiting connection with a reset, unless a worker waits
    // after all, which is then woken for it.
    void TurnAwayOne();

private:
    // One reference for the relay's whole life, not one per thread: Wine
    // counts WSAStartup and WSACleanup without a lock, and the threads of a
    // busy relay come and go all the time.
    UniqueWinsockUse winsock_;
    CriticalSection lock_;
    UpstreamInfo upstream_;  // guarded by lock_
    int idle_ = 0;           // guarded by lock_: workers waiting in Accept
    // Guarded by lock_, and accepted on only while it is held, so that it is
    // never closed under an accept: the closed handle's value could come
    // back as another object by the time accept used it.
    UniqueSocket listener_;
    UniqueWsaEvent stop_;    // manual reset: once stopped, seen by every wait
    std::atomic<bool> stopping_{false};  // set with stop_
    // Auto-reset, so that one waiting worker comes for each connection; while
    // more wait, accepting one signals it again.
    UniqueWsaEvent connection_waiting_;
    UniqueHandle short_of_workers_;
};

}  // namespace relay
