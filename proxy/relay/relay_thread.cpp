#include "proxy/relay/relay_thread.h"

#include <new>

#include "frame/library_thread.h"

namespace relay {
namespace {

struct RelayThreadStart {
    RelayRoutine routine;
    std::shared_ptr<RelayShared> shared;
};

DWORD RunRelayThread(void* argument) {
    const std::unique_ptr<RelayThreadStart> start(static_cast<RelayThreadStart*>(argument));
    start->routine(start->shared);
    return 0;
}

}  // namespace

bool StartRelayThread(RelayRoutine routine, const std::shared_ptr<RelayShared>& shared, SIZE_T stackReservation) {
    std::unique_ptr<RelayThreadStart> start;
    try {
        start = std::make_unique<RelayThreadStart>(RelayThreadStart{routine, shared});
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!StartLibraryThread(RunRelayThread, start.get(), stackReservation)) return false;
    start.release();
    return true;
}

}  // namespace relay
