#pragma once
// Asking the upstream proxy, over a connected socket, for a tunnel to the
// target of a browser's request.

#include <string>

#include "proxy/relay/http_request.h"
#include "proxy/relay/tunnel_handshake.h"
#include "proxy/relay/upstream_info.h"
#include "proxy/relay/win_handles.h"

namespace relay {

// The longest an upstream proxy may take over one reply.
constexpr DWORD kReplyTimeoutMs = 5 * 60 * 1000;

// Reads the handshake's current reply into reply, exactly to its end. socket
// must be associated with readEvent for read and close notifications. False
// when the peer closes or fails, the reply cannot be framed, the relay stops,
// or the reply is not whole after kReplyTimeoutMs.
bool WaitForReply(SOCKET socket, WSAEVENT readEvent, WSAEVENT stop, const TunnelHandshake& handshake,
                  std::string& reply);

// Runs the whole handshake of upstream.kind for request's host and port.
bool PerformHandshake(SOCKET socket, WSAEVENT readEvent, WSAEVENT stop, const UpstreamInfo& upstream,
                      const HttpRequestInfo& request);

}  // namespace relay
