#include "proxy/relay/client_data.h"

#include "frame/debug_trace.h"
#include "proxy/relay/upstream_connect.h"
#include "proxy/relay/upstream_handshake.h"

namespace relay {
namespace {

void TraceLineWithoutColon(std::string_view line) {
    const std::string text(line);
    DebugTrace(L" \":\" Not Found In %hs", text.c_str());
}

// A new upstream connection and handshake for the current request. rest
// receives what the proxy sent behind the handshake.
bool OpenTunnel(RelayConnection& connection, RelayShared& shared, std::string& rest) {
    const HttpRequestInfo& request = connection.stream.Request();
    const UpstreamInfo upstream = shared.Upstream();
    connection.upstream.reset();
    TunnelHandshake handshake = HandshakeFor(upstream, request);
    std::string opening;
    if (handshake.Begin(opening) != TunnelHandshake::Status::Continue) return false;
    if (!ConnectUpstream(connection.stop, upstream.host, upstream.port, opening, connection.upstream,
                         connection.upstream_event))
        return false;
    connection.upstream_closed = false;
    connection.target_host = request.host;
    connection.target_port = request.port;
    connection.kind = upstream.kind;
    return CompleteHandshake(connection.upstream.get(), connection.upstream_event, connection.stop, handshake, rest);
}

// The handshake's waits may have taken a notification that does not come
// again: a close right behind the last reply, which a stack may signal while
// the reply is still unread. So a new tunnel is looked at once without one.
bool LookAtNewTunnel(RelayConnection& connection) {
    const Flow flow =
        RelayAvailable(connection.upstream.get(), connection.browser.get(), connection.stop, connection.transfer);
    if (flow == Flow::PeerClosed) PassOnUpstreamClose(connection);
    return flow != Flow::Broken;
}

bool ForwardRequest(RelayConnection& connection, RelayShared& shared) {
    const HttpRequestInfo& request = connection.stream.Request();
    std::string rest;
    if (connection.stream.IsConnect()) {
        // A CONNECT always gets a tunnel of its own: on a connection already
        // open to the same target it would reach the origin as a request.
        if (!OpenTunnel(connection, shared, rest)) return false;
        rest.insert(0, kConnectEstablishedReply);
        return SendAll(connection.browser.get(), rest, connection.stop) && LookAtNewTunnel(connection);
    }
    if (connection.upstream && !connection.upstream_closed && request.host == connection.target_host &&
        request.port == connection.target_port)
        return SendAll(connection.upstream.get(), connection.stream.Head(), connection.stop);
    return OpenTunnel(connection, shared, rest) &&
           SendAll(connection.upstream.get(), connection.stream.Head(), connection.stop) &&
           SendAll(connection.browser.get(), rest, connection.stop) && LookAtNewTunnel(connection);
}

}  // namespace

RelayConnection::RelayConnection(UniqueSocket accepted, WSAEVENT stopEvent, WSAEVENT browserEvent,
                                 WSAEVENT upstreamEvent)
    : browser(std::move(accepted)),
      stop(stopEvent),
      browser_event(browserEvent),
      upstream_event(upstreamEvent),
      stream(TraceLineWithoutColon) {}

void PassOnBrowserClose(RelayConnection& connection) {
    connection.browser_closed = true;
    if (connection.upstream) shutdown(connection.upstream.get(), SD_SEND);
}

void PassOnUpstreamClose(RelayConnection& connection) {
    connection.upstream_closed = true;
    shutdown(connection.browser.get(), SD_SEND);
}

bool BothSidesClosed(const RelayConnection& connection) {
    return connection.browser_closed && (!connection.upstream || connection.upstream_closed);
}

Flow HandleClientData(RelayConnection& connection, RelayShared& shared) {
    RequestStream& stream = connection.stream;
    if (stream.State() == ConnectionState::Tunnel && stream.Input().Empty())
        return RelayAvailable(connection.browser.get(), connection.upstream.get(), connection.stop,
                              connection.transfer);
    // A request that arrives together with the browser's close (a client that
    // half-closes after sending) is forwarded like any other.
    const Flow flow = ReceiveAvailable(connection.browser.get(), stream.Input(), connection.transfer);
    if (flow == Flow::Broken) return flow;
    // Everything at hand is handled now, a request pipelined behind a body
    // included: no further read notification may come for it.
    for (;;) {
        const RequestStream::Event event = stream.Next();
        switch (event.step) {
            case RequestStream::Step::NeedMore:
                return flow;
            case RequestStream::Step::Fail:
                return Flow::Broken;
            case RequestStream::Step::Forward:
                if (!SendAll(connection.upstream.get(), event.bytes, connection.stop)) return Flow::Broken;
                break;
            case RequestStream::Step::Request:
                if (!ForwardRequest(connection, shared)) return Flow::Broken;
                break;
        }
    }
}

}  // namespace relay
