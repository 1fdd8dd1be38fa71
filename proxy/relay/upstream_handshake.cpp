#include "proxy/relay/upstream_handshake.h"

#include "frame/tick_deadline.h"
#include "proxy/relay/ip_literal.h"
#include "proxy/relay/socket_io.h"
#include "proxy/relay/upstream_connect.h"

namespace relay {
namespace {

// Replies are short; what a read brings beyond one is the tunnel's, and
// bounded by this.
constexpr int kReplyChunk = 4096;

TunnelTarget TargetOf(const HttpRequestInfo& request, UpstreamKind kind) {
    TunnelTarget target;
    target.host = request.host;
    target.port = request.port;
    target.version = request.version;
    target.ipv6 = ParseIpv6Literal(request.host);
    if (target.ipv6) return target;
    if (kind == UpstreamKind::Socks4 || kind == UpstreamKind::Socks5) {
        // SOCKS4 can only carry an address; SOCKS5 is given one whenever
        // the name resolves here, and the name itself otherwise.
        target.ipv4 = ResolveHostV4(request.host);
    } else if (kind == UpstreamKind::Socks5h) {
        target.ipv4 = ParseIpv4Literal(request.host);
    }
    return target;
}

}  // namespace

TunnelHandshake HandshakeFor(const UpstreamInfo& upstream, const HttpRequestInfo& request) {
    return TunnelHandshake(upstream, TargetOf(request, upstream.kind));
}

bool ReceiveReply(SOCKET socket, WSAEVENT readEvent, WSAEVENT stop, const TunnelHandshake& handshake,
                  std::string& received, std::size_t& length) {
    const TickDeadline deadline(kReplyTimeoutMs);
    char chunk[kReplyChunk];
    // The request has just gone out, so its reply is a round trip away: the
    // first thing to do is wait, not to try a read bound to fail.
    bool readable = false;
    for (;;) {
        const ReplyFrame frame = handshake.Frame(received);
        if (frame.status == ReplyFrame::Status::Whole) {
            length = frame.length;
            return true;
        }
        if (frame.status == ReplyFrame::Status::Malformed) return false;
        if (readable) {
            // A partial reply is read on until the socket has nothing more,
            // not waited on at once: a close that came with it is told only
            // by the read after it.
            const int count = recv(socket, chunk, sizeof chunk, 0);
            if (count > 0) {
                received.append(chunk, static_cast<std::size_t>(count));
                continue;
            }
            if (count == 0 || WSAGetLastError() != WSAEWOULDBLOCK) return false;
        }
        const DWORD remaining = deadline.RemainingMs();
        if (remaining == 0) return false;
        WSAEVENT waitSet[] = {stop, readEvent};
        const DWORD woken = WSAWaitForMultipleEvents(2, waitSet, FALSE, remaining, FALSE);
        if (woken != WSA_WAIT_EVENT_0 + 1) return false;
        readable = true;
    }
}

bool CompleteHandshake(SOCKET socket, WSAEVENT readEvent, WSAEVENT stop, TunnelHandshake& handshake,
                       std::string& rest) {
    std::string received;
    std::string message;
    for (;;) {
        std::size_t length = 0;
        if (!ReceiveReply(socket, readEvent, stop, handshake, received, length)) return false;
        const TunnelHandshake::Status status = handshake.OnReply(std::string_view(received).substr(0, length), message);
        received.erase(0, length);
        if (status == TunnelHandshake::Status::Established) {
            rest = std::move(received);
            return true;
        }
        if (status == TunnelHandshake::Status::Failed || !SendAll(socket, message, stop)) return false;
    }
}

}  // namespace relay
