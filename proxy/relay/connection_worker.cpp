#include "proxy/relay/connection_worker.h"

#include <process.h>

#include <utility>

#include "proxy/relay/client_data.h"

namespace relay {
namespace {

// Workers hold little on their stacks (transfer buffers live on the heap),
// and a 32-bit browser process runs hundreds of them in 2 GiB of addresses.
constexpr unsigned kWorkerStackReservation = 256 * 1024;

struct WorkerStartBlock {
    UniqueSocket client;
    std::shared_ptr<RelayShared> shared;
};

enum class Outcome { KeepGoing, End };

// What the upstream sent goes to the browser; a close from the upstream ends
// the connection once everything sent before it has been passed on.
Outcome ServeUpstream(RelayConnection& connection) {
    WSANETWORKEVENTS events{};
    if (WSAEnumNetworkEvents(connection.upstream.get(), connection.upstream_event.get(), &events) != 0)
        return Outcome::End;
    if ((events.lNetworkEvents & FD_READ) && events.iErrorCode[FD_READ_BIT] != 0) return Outcome::End;
    if (events.lNetworkEvents & FD_CLOSE) {
        RelayAvailable(connection.upstream.get(), connection.client.get(), connection.stop, connection.transfer,
                       RelayMode::UntilClose);
        return Outcome::End;
    }
    // The event is also set by hand after a handshake, with no notification
    // pending; reading then finds a close or the tunnel's first bytes.
    return RelayAvailable(connection.upstream.get(), connection.client.get(), connection.stop, connection.transfer)
               ? Outcome::KeepGoing
               : Outcome::End;
}

Outcome ServeClient(RelayConnection& connection, RelayShared& shared) {
    WSANETWORKEVENTS events{};
    if (WSAEnumNetworkEvents(connection.client.get(), connection.client_event.get(), &events) != 0)
        return Outcome::End;
    if (events.lNetworkEvents & FD_READ) {
        if (events.iErrorCode[FD_READ_BIT] != 0 || !HandleClientData(connection, shared)) return Outcome::End;
    }
    return (events.lNetworkEvents & FD_CLOSE) ? Outcome::End : Outcome::KeepGoing;
}

void Serve(RelayConnection& connection, RelayShared& shared) {
    if (!connection.client_event || !connection.upstream_event) return;
    // Replaces the association inherited from the listening socket, whose
    // notifications would otherwise land on the accept thread's event.
    if (WSAEventSelect(connection.client.get(), connection.client_event.get(), FD_READ | FD_CLOSE) != 0) return;
    const BOOL noDelay = TRUE;
    setsockopt(connection.client.get(), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
               sizeof noDelay);

    WSAEVENT waitSet[] = {connection.stop, connection.client_event.get(), connection.upstream_event.get()};
    for (;;) {
        const DWORD woken = WSAWaitForMultipleEvents(3, waitSet, FALSE, WSA_INFINITE, FALSE);
        if (woken < WSA_WAIT_EVENT_0 + 1 || woken > WSA_WAIT_EVENT_0 + 2) return;
        // Both sides are looked at on every wake: the wait reports only the
        // first signalled event, and a busy browser must not starve the
        // upstream direction.
        if (connection.upstream && IsSignalled(connection.upstream_event.get()) &&
            ServeUpstream(connection) == Outcome::End)
            return;
        if (IsSignalled(connection.client_event.get()) && ServeClient(connection, shared) == Outcome::End) return;
    }
}

unsigned __stdcall ConnectionWorker(void* argument) {
    std::unique_ptr<WorkerStartBlock> block(static_cast<WorkerStartBlock*>(argument));
    const std::shared_ptr<RelayShared> shared = std::move(block->shared);
    {
        RelayConnection connection(std::move(block->client), shared->StopEvent());
        block.reset();
        Serve(connection, *shared);
        // The browser learns of the end in order: what was sent reaches it
        // before the close.
        shutdown(connection.client.get(), SD_SEND);
    }
    shared->WorkerEnded();
    return 0;
}

}  // namespace

bool StartWorker(UniqueSocket client, const std::shared_ptr<RelayShared>& shared) {
    auto block = std::make_unique<WorkerStartBlock>(WorkerStartBlock{std::move(client), shared});
    shared->WorkerStarted();
    const auto thread = reinterpret_cast<HANDLE>(_beginthreadex(
        nullptr, kWorkerStackReservation, ConnectionWorker, block.get(),
        CREATE_SUSPENDED | STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    if (thread == nullptr) {
        shared->WorkerEnded();
        return false;
    }
    block.release();
    ResumeThread(thread);
    CloseHandle(thread);
    return true;
}

}  // namespace relay
