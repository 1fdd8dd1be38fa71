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

// A new upstream connection and handshake for the current request.
bool OpenTunnel(RelayConnection& connection, RelayShared& shared) {
    const HttpRequestInfo& request = connection.stream.Request();
    const UpstreamInfo upstream = shared.Upstream();
    connection.upstream.reset();
    if (!ConnectUpstream(connection.stop, upstream.host, upstream.port, connection.upstream)) return false;
    connection.target_host = request.host;
    connection.target_port = request.port;
    connection.kind = upstream.kind;
    // The association with the worker's upstream event lasts as long as the
    // socket; the handshake waits on it too.
    WSAResetEvent(connection.upstream_event.get());
    if (WSAEventSelect(connection.upstream.get(), connection.upstream_event.get(), FD_READ | FD_CLOSE) != 0)
        return false;
    return PerformHandshake(connection.upstream.get(), connection.upstream_event.get(), connection.stop, upstream,
                            request);
}

bool ForwardRequest(RelayConnection& connection, RelayShared& shared) {
    const HttpRequestInfo& request = connection.stream.Request();
    if (connection.stream.IsConnect()) {
        // A CONNECT always gets a tunnel of its own: on a connection already
        // open to the same target it would reach the origin as a request.
        return OpenTunnel(connection, shared) &&
               SendAll(connection.client.get(), kConnectEstablishedReply, connection.stop);
    }
    const bool reuse =
        connection.upstream && request.host == connection.target_host && request.port == connection.target_port;
    if (!reuse && !OpenTunnel(connection, shared)) return false;
    return SendAll(connection.upstream.get(), connection.stream.Head(), connection.stop);
}

}  // namespace

RelayConnection::RelayConnection(UniqueSocket browser, WSAEVENT stopEvent)
    : client(std::move(browser)),
      stop(stopEvent),
      client_event(WSACreateEvent()),
      upstream_event(WSACreateEvent()),
      stream(TraceLineWithoutColon) {}

bool HandleClientData(RelayConnection& connection, RelayShared& shared) {
    RequestStream& stream = connection.stream;
    if (stream.State() == ConnectionState::Tunnel && stream.Input().Empty())
        return RelayAvailable(connection.client.get(), connection.upstream.get(), connection.stop,
                              connection.transfer);
    if (!ReceiveAvailable(connection.client.get(), stream.Input())) return false;
    // Everything at hand is handled now, a request pipelined behind a body
    // included: no further read notification may come for it.
    for (;;) {
        const RequestStream::Event event = stream.Next();
        switch (event.step) {
            case RequestStream::Step::NeedMore:
                return true;
            case RequestStream::Step::Fail:
                return false;
            case RequestStream::Step::Forward:
                if (!SendAll(connection.upstream.get(), event.bytes, connection.stop)) return false;
                break;
            case RequestStream::Step::Request:
                if (!ForwardRequest(connection, shared)) return false;
                break;
        }
    }
}

}  // namespace relay
