#pragma once
// Asking the upstream proxy, over a connected socket, for a tunnel to the
// target of a browser's request.

#include <cstddef>
#include <string>

#include "proxy/relay/http_request.h"
#include "proxy/relay/tunnel_handshake.h"
#include "proxy/relay/upstream_info.h"
#include "proxy/relay/win_handles.h"

namespace relay {

// The longest an upstream proxy may take over one reply.
constexpr DWORD kReplyTimeoutMs = 5 * 60 * 1000;

// The handshake of upstream.kind for request's host and port, with the
// target's address looked up here where the kind wants one.
TunnelHandshake HandshakeFor(const UpstreamInfo& upstream, const HttpRequestInfo& request);

// Reads from socket, appending to received, until received begins with the
// handshake's whole current reply; length receives the reply's size. socket
// must signal readEvent (auto-reset) on read and close notifications. False
// when the peer closes or fails, the reply cannot be framed, the relay stops,
// or the reply is not whole after kReplyTimeoutMs.
bool ReceiveReply(SOCKET socket, WSAEVENT readEvent, WSAEVENT stop, const TunnelHandshake& handshake,
                  std::string& received, std::size_t& length);

// Carries a handshake whose opening message has gone out on to the end. rest
// receives what the proxy sent behind its last reply: the first bytes out of
// the tunnel, which belong to the browser.
bool CompleteHandshake(SOCKET socket, WSAEVENT readEvent, WSAEVENT stop, TunnelHandshake& handshake,
                       std::string& rest);

}  // namespace relay
