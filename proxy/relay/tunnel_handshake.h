#pragma once
// The conversation that asks an upstream proxy for a tunnel to a target, as
// a state machine over whole messages. The caller does the I/O: it sends what
// the handshake hands out, reads until Frame() finds the whole reply at the
// start of what it has received, and passes that reply to OnReply(). Bytes
// received beyond a reply are the start of whatever the proxy sent next: the
// next reply, or after the last one the first bytes of the tunnel.
//
//   Socks4, Socks4a:  request -> Socks4Reply -> established
//   Socks5:           greeting -> Socks5Method -> [credentials -> Socks5Auth]
//                              -> connect request -> Socks5Connect -> established
//   Https:            CONNECT request -> HttpReply -> established

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "proxy/relay/upstream_info.h"

namespace relay {

// Where the tunnel should lead. The caller fills in the addresses it knows:
// ipv6 when host is an IPv6 literal, ipv4 when host resolved locally.
struct TunnelTarget {
    std::string host;
    std::uint16_t port = 0;
    std::optional<std::array<std::uint8_t, 4>> ipv4;  // network byte order
    std::optional<std::array<std::uint8_t, 16>> ipv6;
    std::string version = "HTTP/1.1";  // of the browser's request, for an HTTP CONNECT
};

enum class HandshakeError {
    None,
    UnsupportedKind,     // no handshake for this upstream kind
    UnreachableForm,     // the target cannot be named in this protocol
    FieldTooLong,        // a SOCKS5 length byte cannot hold a name or credential
    MalformedReply,      // wrong version, or a reply that cannot be framed
    MethodRejected,      // SOCKS5: no acceptable authentication method
    AuthRejected,        // SOCKS5: credentials refused
    Refused,             // the proxy would not make the connection
};

// Where the current reply ends in the bytes received so far.
struct ReplyFrame {
    enum class Status {
        Partial,    // more bytes must come
        Whole,      // the reply is the first length bytes
        Malformed,  // no more bytes can make it a reply
    };
    Status status = Status::Partial;
    std::size_t length = 0;
};

class TunnelHandshake {
public:
    enum class Status { Continue, Established, Failed };

    TunnelHandshake(const UpstreamInfo& upstream, TunnelTarget target);

    // Continue with the first message in request, or Failed before anything
    // has been sent.
    Status Begin(std::string& request);

    // Frames the current reply at the start of received, which may run on
    // past it. Malformed when no reply is expected.
    ReplyFrame Frame(std::string_view received) const;

    // Judges a whole reply. Continue puts the next message into request.
    Status OnReply(std::string_view reply, std::string& request);

    HandshakeError Error() const { return error_; }

private:
    enum class State { Start, Socks4Reply, Socks5Method, Socks5Auth, Socks5Connect, HttpReply, Established, Failed };

    Status Socks4Request(std::string& request);
    Status Socks4aRequest(std::string& request);
    Status Socks5Greeting(std::string& request);
    Status Socks5Credentials(std::string& request);
    Status Socks5ConnectRequest(std::string& request);
    Status HttpConnectRequest(std::string& request);

    Status OnSocks4Reply(std::string_view reply);
    Status OnSocks5Method(std::string_view reply, std::string& request);
    Status OnSocks5Auth(std::string_view reply, std::string& request);
    Status OnSocks5Connect(std::string_view reply);
    Status OnHttpReply(std::string_view reply);

    Status Fail(HandshakeError error);
    Status Expect(State state);

    UpstreamKind kind_;
    std::string username_;
    std::string password_;
    TunnelTarget target_;
    State state_ = State::Start;
    HandshakeError error_ = HandshakeError::None;
};

// An HTTP reply head longer than this is not a proxy's answer to CONNECT.
constexpr std::size_t kMaxHttpReplyHead = 64 * 1024;

}  // namespace relay
