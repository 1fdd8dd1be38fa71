#pragma once
// One browser connection and what its worker does when the browser's socket
// becomes readable.

#include <cstdint>
#include <string>

#include "proxy/relay/relay_shared.h"
#include "proxy/relay/request_stream.h"
#include "proxy/relay/socket_io.h"
#include "proxy/relay/upstream_info.h"
#include "proxy/relay/win_handles.h"

namespace relay {

// Owned by its worker thread and touched by no other.
struct RelayConnection {
    RelayConnection(UniqueSocket accepted, WSAEVENT stopEvent, WSAEVENT browserEvent, WSAEVENT upstreamEvent);

    UniqueSocket browser;
    UniqueSocket upstream;
    WSAEVENT stop;
    // The worker's: they serve each of its connections in turn. Auto-reset:
    // the wait that reports readiness also rearms the event, so no call is
    // spent on resetting it. Readiness is then found out by reading: a read
    // of 0 bytes is the close, a failed read the error.
    WSAEVENT browser_event;
    WSAEVENT upstream_event;
    RequestStream stream;
    // The target the upstream connection leads to.
    std::string target_host;
    std::uint16_t target_port = 0;
    UpstreamKind kind = UpstreamKind::None;
    TransferBuffer transfer;
    // A close read from one side is passed on as the end of what the other
    // side receives; the connection ends once both sides have closed.
    bool browser_closed = false;
    bool upstream_closed = false;  // of the current upstream connection
};

// The browser's close, passed on to the upstream connection.
void PassOnBrowserClose(RelayConnection& connection);
// The upstream's close, passed on to the browser.
void PassOnUpstreamClose(RelayConnection& connection);
// True once neither side has anything more to send.
bool BothSidesClosed(const RelayConnection& connection);

// The reply a browser gets once its CONNECT tunnel stands.
inline constexpr char kConnectEstablishedReply[] =
    "HTTP/1.0 200 Connection established\r\nProxy-agent: Quorvel2.0 Proxy \r\n\r\n";

// Reads what the browser sent and forwards it, opening upstream connections
// as requests need them. PeerClosed once the browser's close has been read,
// after everything it sent before has been handled; Broken when the
// connection must end at once.
Flow HandleClientData(RelayConnection& connection, RelayShared& shared);

}  // namespace relay
