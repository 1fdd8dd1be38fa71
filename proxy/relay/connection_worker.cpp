#include "proxy/relay/connection_worker.h"

#include <exception>
#include <utility>

#include "frame/debug_trace.h"
#include "proxy/relay/client_data.h"
#include "proxy/relay/relay_thread.h"

namespace relay {
namespace {

// Workers hold little on their stacks (transfer buffers live on the heap),
// and a 32-bit browser process runs hundreds of them in 2 GiB of addresses.
constexpr unsigned kWorkerStackReservation = 256 * 1024;

// Whether the connection goes on after a read from one side brought flow.
// A close is passed on to the other side, whose direction goes on.
bool GoesOn(RelayConnection& connection, Flow flow, void (*passOnClose)(RelayConnection&)) {
    if (flow == Flow::Broken) return false;
    if (flow == Flow::PeerClosed) passOnClose(connection);
    return !BothSidesClosed(connection);
}

void Serve(RelayConnection& connection, RelayShared& shared) {
    // The browser sends its request as soon as it is connected, so by now it
    // has usually arrived: it is read before the socket is given its event,
    // and a CONNECT tunnel stands before that call is made. The socket is
    // non-blocking already, as the listener it came from.
    if (!GoesOn(connection, HandleClientData(connection, shared), PassOnBrowserClose)) return;
    // Readiness that arose before the association is signalled by it; a
    // close may not be, so it is looked for once the association stands.
    if (WSAEventSelect(connection.browser.get(), connection.browser_event, FD_READ | FD_CLOSE) != 0) return;
    if (!connection.browser_closed &&
        !GoesOn(connection, PeekForClose(connection.browser.get()), PassOnBrowserClose))
        return;

    // The wait names the first signalled event of its set, so the two
    // directions take turns at coming first: a busy browser cannot starve
    // the upstream direction, nor the other way round. A side that has
    // closed is no longer waited on.
    for (bool browserFirst = true;; browserFirst = !browserFirst) {
        const bool browserOpen = !connection.browser_closed;
        const bool upstreamOpen = connection.upstream && !connection.upstream_closed;
        WSAEVENT waitSet[3] = {connection.stop};
        DWORD count = 1;
        if (browserOpen && browserFirst) waitSet[count++] = connection.browser_event;
        if (upstreamOpen) waitSet[count++] = connection.upstream_event;
        if (browserOpen && !browserFirst) waitSet[count++] = connection.browser_event;
        const DWORD woken = WSAWaitForMultipleEvents(count, waitSet, FALSE, WSA_INFINITE, FALSE);
        if (woken <= WSA_WAIT_EVENT_0 || woken >= WSA_WAIT_EVENT_0 + count) return;
        const bool fromBrowser = waitSet[woken - WSA_WAIT_EVENT_0] == connection.browser_event;
        const bool goesOn =
            fromBrowser ? GoesOn(connection, HandleClientData(connection, shared), PassOnBrowserClose)
                        : GoesOn(connection,
                                 RelayAvailable(connection.upstream.get(), connection.browser.get(),
                                                connection.stop, connection.transfer),
                                 PassOnUpstreamClose);
        if (!goesOn) return;
    }
}

// Serves one browser connection to its end. Running out of memory ends that
// connection only.
void ServeOne(UniqueSocket browser, RelayShared& shared, WSAEVENT browserEvent, WSAEVENT upstreamEvent) {
    try {
        RelayConnection connection(std::move(browser), shared.StopEvent(), browserEvent, upstreamEvent);
        Serve(connection, shared);
        // The browser learns of the end in order: what was sent reaches it
        // before the close, which its unread bytes would turn into a reset.
        // Once its own close has been read, none are left.
        if (!connection.browser_closed) shutdown(connection.browser.get(), SD_SEND);
    } catch (const std::exception& error) {
        DebugTrace(L"Relay connection dropped: %hs", error.what());
    }
}

// Serves one connection after another until the relay stops or enough
// workers wait. False when it could not begin, still counted as waiting.
bool ServeConnections(const std::shared_ptr<RelayShared>& shared) {
    // The events are made while the worker waits for its first connection
    // and serve every connection it takes.
    const UniqueWsaEvent browserEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    const UniqueWsaEvent upstreamEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!browserEvent || !upstreamEvent) return false;
    do {
        UniqueSocket browser = shared->Accept();
        if (!browser) break;
        if (shared->NeedsSpareWorker()) StartWorker(shared);
        ServeOne(std::move(browser), *shared, browserEvent.get(), upstreamEvent.get());
    } while (shared->KeepIdle());
    return true;
}

void ConnectionWorker(const std::shared_ptr<RelayShared>& shared) {
    if (!ServeConnections(shared)) shared->WorkerEndedIdle();
}

}  // namespace

bool StartWorker(const std::shared_ptr<RelayShared>& shared) {
    shared->WorkerStarted();
    if (StartRelayThread(ConnectionWorker, shared, kWorkerStackReservation)) return true;
    shared->WorkerEndedIdle();
    shared->NoteWorkerShortage();
    return false;
}

}  // namespace relay
