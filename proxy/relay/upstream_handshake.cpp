#include "proxy/relay/upstream_handshake.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "proxy/relay/socket_io.h"
#include "proxy/relay/upstream_connect.h"

namespace relay {
namespace {

TunnelTarget TargetOf(const HttpRequestInfo& request, UpstreamKind kind) {
    TunnelTarget target;
    target.host = request.host;
    target.port = request.port;
    target.version = request.version;
    in6_addr ipv6{};
    if (inet_pton(AF_INET6, request.host.c_str(), &ipv6) == 1) {
        target.ipv6.emplace();
        std::memcpy(target.ipv6->data(), &ipv6, 16);
    } else if (kind == UpstreamKind::Socks4 || kind == UpstreamKind::Socks5) {
        // SOCKS4 can only carry an address; SOCKS5 is given one whenever
        // the name resolves here, and the name itself otherwise.
        target.ipv4 = ResolveHostV4(request.host);
    }
    return target;
}

}  // namespace

bool WaitForReply(SOCKET socket, WSAEVENT readEvent, WSAEVENT stop, const TunnelHandshake& handshake,
                  std::string& reply) {
    reply.clear();
    const ULONGLONG deadline = GetTickCount64() + kReplyTimeoutMs;
    char chunk[512];
    for (;;) {
        const auto missing = handshake.Missing(reply);
        if (!missing) return false;
        if (*missing == 0) return true;
        // Never more than the reply still lacks: what follows it belongs to
        // the tunnel.
        const int count = recv(socket, chunk, static_cast<int>(std::min(*missing, sizeof chunk)), 0);
        if (count > 0) {
            reply.append(chunk, static_cast<std::size_t>(count));
            continue;
        }
        if (count == 0 || WSAGetLastError() != WSAEWOULDBLOCK) return false;

        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return false;
        WSAEVENT waitSet[] = {stop, readEvent};
        const DWORD woken = WSAWaitForMultipleEvents(2, waitSet, FALSE, static_cast<DWORD>(deadline - now), FALSE);
        if (woken != WSA_WAIT_EVENT_0 + 1) return false;
        // Resets the event; the recv above re-arms read notification.
        WSANETWORKEVENTS events{};
        if (WSAEnumNetworkEvents(socket, readEvent, &events) != 0) return false;
    }
}

bool PerformHandshake(SOCKET socket, WSAEVENT readEvent, WSAEVENT stop, const UpstreamInfo& upstream,
                      const HttpRequestInfo& request) {
    TunnelHandshake handshake(upstream, TargetOf(request, upstream.kind));
    std::string message;
    std::string reply;
    TunnelHandshake::Status status = handshake.Begin(message);
    while (status == TunnelHandshake::Status::Continue) {
        if (!SendAll(socket, message, stop) || !WaitForReply(socket, readEvent, stop, handshake, reply)) return false;
        status = handshake.OnReply(reply, message);
    }
    // The reply wait may have consumed a close notification that Winsock will
    // not repeat; signalling the event makes the worker look at the socket
    // once more and find the close (or the tunnel's first bytes) itself.
    WSASetEvent(readEvent);
    return status == TunnelHandshake::Status::Established;
}

}  // namespace relay
