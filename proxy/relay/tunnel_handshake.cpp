#include "proxy/relay/tunnel_handshake.h"

#include <utility>

#include "base64/base64.h"
#include "proxy/relay/http_request.h"

namespace relay {
namespace {

// SOCKS5 carries names and credentials behind a one-byte length.
constexpr std::size_t kMaxSocks5Field = 255;

constexpr std::uint8_t kSocks4Version = 4;
constexpr std::uint8_t kSocks4Granted = 0x5A;
constexpr std::uint8_t kSocks5Version = 5;
constexpr std::uint8_t kSocksConnect = 1;
constexpr std::uint8_t kMethodNone = 0;
constexpr std::uint8_t kMethodUserPassword = 2;
constexpr std::uint8_t kAddressIpv4 = 1;
constexpr std::uint8_t kAddressName = 3;
constexpr std::uint8_t kAddressIpv6 = 4;

std::uint8_t At(std::string_view reply, std::size_t i) { return static_cast<std::uint8_t>(reply[i]); }

void PutByte(std::string& out, std::uint8_t byte) { out.push_back(static_cast<char>(byte)); }

void PutPort(std::string& out, std::uint16_t port) {
    PutByte(out, static_cast<std::uint8_t>(port >> 8));
    PutByte(out, static_cast<std::uint8_t>(port & 0xFF));
}

template <std::size_t N>
void PutAddress(std::string& out, const std::array<std::uint8_t, N>& address) {
    for (std::uint8_t byte : address) PutByte(out, byte);
}

ReplyFrame Partial() { return {ReplyFrame::Status::Partial, 0}; }
ReplyFrame Whole(std::size_t length) { return {ReplyFrame::Status::Whole, length}; }
ReplyFrame Malformed() { return {ReplyFrame::Status::Malformed, 0}; }

ReplyFrame Fixed(std::string_view received, std::size_t length) {
    return received.size() < length ? Partial() : Whole(length);
}

ReplyFrame HttpHead(std::string_view received) {
    constexpr std::string_view kEnd = "\r\n\r\n";
    const std::size_t end = received.find(kEnd);
    if (end == std::string_view::npos) return received.size() > kMaxHttpReplyHead ? Malformed() : Partial();
    return end + kEnd.size() > kMaxHttpReplyHead ? Malformed() : Whole(end + kEnd.size());
}

}  // namespace

TunnelHandshake::TunnelHandshake(const UpstreamInfo& upstream, TunnelTarget target)
    : kind_(upstream.kind), username_(upstream.username), password_(upstream.password), target_(std::move(target)) {}

TunnelHandshake::Status TunnelHandshake::Fail(HandshakeError error) {
    state_ = State::Failed;
    error_ = error;
    return Status::Failed;
}

TunnelHandshake::Status TunnelHandshake::Expect(State state) {
    state_ = state;
    return Status::Continue;
}

TunnelHandshake::Status TunnelHandshake::Begin(std::string& request) {
    request.clear();
    switch (kind_) {
        case UpstreamKind::Socks4:
            return Socks4Request(request);
        case UpstreamKind::Socks4a:
            return Socks4aRequest(request);
        case UpstreamKind::Socks5:
        case UpstreamKind::Socks5h:
            return Socks5Greeting(request);
        case UpstreamKind::Https:
            return HttpConnectRequest(request);
        case UpstreamKind::None:
        case UpstreamKind::Http:
            break;
    }
    return Fail(HandshakeError::UnsupportedKind);
}

ReplyFrame TunnelHandshake::Frame(std::string_view received) const {
    switch (state_) {
        case State::Socks4Reply:
            return Fixed(received, 8);
        case State::Socks5Method:
        case State::Socks5Auth:
            return Fixed(received, 2);
        case State::Socks5Connect: {
            // VER REP RSV ATYP, then the bound address (4, 16, or a length
            // byte and that many bytes), then the bound port. A refusal may
            // come with a made-up address type; it is judged on REP alone.
            if (received.size() < 5) return Partial();
            if (At(received, 1) != 0) return Whole(5);
            switch (At(received, 3)) {
                case kAddressIpv4:
                    return Fixed(received, 4 + 4 + 2);
                case kAddressIpv6:
                    return Fixed(received, 4 + 16 + 2);
                case kAddressName:
                    return Fixed(received, 4 + 1 + std::size_t{At(received, 4)} + 2);
                default:
                    return Malformed();
            }
        }
        case State::HttpReply:
            return HttpHead(received);
        case State::Start:
        case State::Established:
        case State::Failed:
            break;
    }
    return Malformed();
}

TunnelHandshake::Status TunnelHandshake::OnReply(std::string_view reply, std::string& request) {
    request.clear();
    switch (state_) {
        case State::Socks4Reply:
            return OnSocks4Reply(reply);
        case State::Socks5Method:
            return OnSocks5Method(reply, request);
        case State::Socks5Auth:
            return OnSocks5Auth(reply, request);
        case State::Socks5Connect:
            return OnSocks5Connect(reply);
        case State::HttpReply:
            return OnHttpReply(reply);
        case State::Start:
        case State::Established:
        case State::Failed:
            break;
    }
    return Fail(HandshakeError::MalformedReply);
}

// SOCKS4 CONNECT, with an empty user id:
//
//   +----+----+----+----+----+----+----+----+----+
//   | VN | CD | DSTPORT |      DSTIP        | 0  |
//   +----+----+----+----+----+----+----+----+----+
//     4    1
TunnelHandshake::Status TunnelHandshake::Socks4Request(std::string& request) {
    if (!target_.ipv4) return Fail(HandshakeError::UnreachableForm);
    PutByte(request, kSocks4Version);
    PutByte(request, kSocksConnect);
    PutPort(request, target_.port);
    PutAddress(request, *target_.ipv4);
    PutByte(request, 0);
    return Expect(State::Socks4Reply);
}

// SOCKS4a: the address 0.0.0.1 says a host name follows the user id.
//
//   +----+----+----+----+----+----+----+----+-----------+----+-----------+----+
//   | VN | CD | DSTPORT |  0 |  0 |  0 |  1 | anonymous | 0  | host name | 0  |
//   +----+----+----+----+----+----+----+----+-----------+----+-----------+----+
//     4    1                                     9                n
TunnelHandshake::Status TunnelHandshake::Socks4aRequest(std::string& request) {
    // The name is NUL-terminated on the wire, and SOCKS4 knows no IPv6.
    if (target_.ipv6 || target_.host.find('\0') != std::string::npos) return Fail(HandshakeError::UnreachableForm);
    PutByte(request, kSocks4Version);
    PutByte(request, kSocksConnect);
    PutPort(request, target_.port);
    PutAddress(request, std::array<std::uint8_t, 4>{0, 0, 0, 1});
    request.append("anonymous");
    PutByte(request, 0);
    request.append(target_.host);
    PutByte(request, 0);
    return Expect(State::Socks4Reply);
}

// SOCKS4 reply, always 8 bytes:
//
//   +----+----+----+----+----+----+----+----+
//   | 0  | CD | DSTPORT |      DSTIP        |
//   +----+----+----+----+----+----+----+----+
//          90: granted; 91-93: rejected
TunnelHandshake::Status TunnelHandshake::OnSocks4Reply(std::string_view reply) {
    if (At(reply, 0) != 0) return Fail(HandshakeError::MalformedReply);
    if (At(reply, 1) != kSocks4Granted) return Fail(HandshakeError::Refused);
    state_ = State::Established;
    return Status::Established;
}

// SOCKS5 greeting, offering user/password first when there are credentials:
//
//   +----+----------+----------+
//   |VER | NMETHODS | METHODS  |
//   +----+----------+----------+
//     5     1 or 2    0 | 2, 0
TunnelHandshake::Status TunnelHandshake::Socks5Greeting(std::string& request) {
    if (target_.host.size() > kMaxSocks5Field && !target_.ipv4 && !target_.ipv6)
        return Fail(HandshakeError::FieldTooLong);
    if (!username_.empty() && (username_.size() > kMaxSocks5Field || password_.size() > kMaxSocks5Field))
        return Fail(HandshakeError::FieldTooLong);
    PutByte(request, kSocks5Version);
    if (username_.empty()) {
        PutByte(request, 1);
        PutByte(request, kMethodNone);
    } else {
        PutByte(request, 2);
        PutByte(request, kMethodUserPassword);
        PutByte(request, kMethodNone);
    }
    return Expect(State::Socks5Method);
}

// Method selection: VER, METHOD. A server may choose "no authentication"
// even when credentials were offered.
TunnelHandshake::Status TunnelHandshake::OnSocks5Method(std::string_view reply, std::string& request) {
    if (At(reply, 0) != kSocks5Version) return Fail(HandshakeError::MalformedReply);
    const std::uint8_t method = At(reply, 1);
    if (method == kMethodNone) return Socks5ConnectRequest(request);
    if (method == kMethodUserPassword && !username_.empty()) return Socks5Credentials(request);
    return Fail(HandshakeError::MethodRejected);
}

// User/password sub-negotiation:
//
//   +----+------+----------+------+----------+
//   |VER | ULEN |  UNAME   | PLEN |  PASSWD  |
//   +----+------+----------+------+----------+
//     1     1    1 to 255     1    0 to 255
TunnelHandshake::Status TunnelHandshake::Socks5Credentials(std::string& request) {
    PutByte(request, 1);
    PutByte(request, static_cast<std::uint8_t>(username_.size()));
    request.append(username_);
    PutByte(request, static_cast<std::uint8_t>(password_.size()));
    request.append(password_);
    return Expect(State::Socks5Auth);
}

// Sub-negotiation status: VER, STATUS. Version 5 is tolerated from servers
// that answer with the protocol's version, and status 1 is let through: a
// server that really refused closes the connection, and the CONNECT request
// then fails on that.
TunnelHandshake::Status TunnelHandshake::OnSocks5Auth(std::string_view reply, std::string& request) {
    if (At(reply, 0) != 1 && At(reply, 0) != kSocks5Version) return Fail(HandshakeError::MalformedReply);
    if (At(reply, 1) > 1) return Fail(HandshakeError::AuthRejected);
    return Socks5ConnectRequest(request);
}

// SOCKS5 CONNECT, by address where one is known, else by name:
//
//   +----+-----+-------+------+----------+----------+
//   |VER | CMD |  RSV  | ATYP | DST.ADDR | DST.PORT |
//   +----+-----+-------+------+----------+----------+
//     5     1      0     1      4 bytes       2
//                        4     16 bytes
//                        3     length byte + name
TunnelHandshake::Status TunnelHandshake::Socks5ConnectRequest(std::string& request) {
    PutByte(request, kSocks5Version);
    PutByte(request, kSocksConnect);
    PutByte(request, 0);
    if (target_.ipv6) {
        PutByte(request, kAddressIpv6);
        PutAddress(request, *target_.ipv6);
    } else if (target_.ipv4) {
        PutByte(request, kAddressIpv4);
        PutAddress(request, *target_.ipv4);
    } else {
        PutByte(request, kAddressName);
        PutByte(request, static_cast<std::uint8_t>(target_.host.size()));
        request.append(target_.host);
    }
    PutPort(request, target_.port);
    return Expect(State::Socks5Connect);
}

// SOCKS5 reply: VER, REP (0: succeeded), RSV, ATYP, BND.ADDR, BND.PORT. The
// bound address is framed (Frame) but not used.
TunnelHandshake::Status TunnelHandshake::OnSocks5Connect(std::string_view reply) {
    if (At(reply, 0) != kSocks5Version) return Fail(HandshakeError::MalformedReply);
    if (At(reply, 1) != 0) return Fail(HandshakeError::Refused);
    state_ = State::Established;
    return Status::Established;
}

// "CONNECT host:port HTTP/1.1", Basic credentials when there are any.
TunnelHandshake::Status TunnelHandshake::HttpConnectRequest(std::string& request) {
    request.append("CONNECT ");
    if (target_.ipv6)
        request.append("[").append(target_.host).append("]");
    else
        request.append(target_.host);
    request.append(":").append(IntToText(target_.port)).append(" ").append(target_.version).append("\r\n");
    if (!username_.empty())
        request.append("Proxy-Authorization: Basic ").append(base64::EncodeOneLine(username_ + ":" + password_)).append("\r\n");
    request.append("\r\n");
    return Expect(State::HttpReply);
}

// Any 2xx status line establishes the tunnel; the rest of the head is dropped.
TunnelHandshake::Status TunnelHandshake::OnHttpReply(std::string_view reply) {
    const std::string_view statusLine = reply.substr(0, reply.find('\n'));
    const std::size_t space = statusLine.find(' ');
    if (statusLine.substr(0, 5) != "HTTP/" || space == std::string_view::npos || statusLine.size() < space + 4)
        return Fail(HandshakeError::MalformedReply);
    const std::string_view code = statusLine.substr(space + 1, 3);
    for (char c : code)
        if (c < '0' || c > '9') return Fail(HandshakeError::MalformedReply);
    if (code[0] != '2') return Fail(HandshakeError::Refused);
    state_ = State::Established;
    return Status::Established;
}

}  // namespace relay
