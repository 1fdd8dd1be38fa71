#include "proxy/relay/doorkeeper.h"

#include "proxy/relay/connection_worker.h"
#include "proxy/relay/relay_thread.h"

namespace relay {
namespace {

// How often a thread for a worker is asked for again while none can be had.
constexpr DWORD kRetryMs = 100;
constexpr SIZE_T kStackReservation = 64 * 1024;

void KeepTheDoor(const std::shared_ptr<RelayShared>& shared) {
    for (;;) {
        HANDLE alarm[] = {shared->StopEvent(), shared->ShortOfWorkersEvent()};
        if (WaitForMultipleObjects(2, alarm, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) return;
        while (shared->ShortOfWorkers()) {
            if (StartWorker(shared)) continue;
            HANDLE knock[] = {shared->StopEvent(), shared->ConnectionWaitingEvent()};
            const DWORD woken = WaitForMultipleObjects(2, knock, FALSE, kRetryMs);
            if (woken == WAIT_OBJECT_0) return;
            if (woken != WAIT_OBJECT_0 + 1) continue;
            // Threads may have come free since the last try: then a new
            // worker takes the connection instead.
            StartWorker(shared);
            shared->TurnAwayOne();
        }
    }
}

}  // namespace

bool StartDoorkeeper(const std::shared_ptr<RelayShared>& shared) {
    return StartRelayThread(KeepTheDoor, shared, kStackReservation);
}

}  // namespace relay
