// Plays an upstream proxy whose replies are the fuzz input, for every kind of
// handshake, delivered in reads of a size the input chooses. A reply must be
// framed the same whatever follows it and never end before its framing says,
// and the handshake must end in a bounded number of steps.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "proxy/relay/tunnel_handshake.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2 || size > (1u << 18)) return 0;
    const relay::UpstreamKind kinds[] = {relay::UpstreamKind::Socks4, relay::UpstreamKind::Socks4a,
                                         relay::UpstreamKind::Socks5, relay::UpstreamKind::Socks5h,
                                         relay::UpstreamKind::Https};
    relay::UpstreamInfo upstream;
    upstream.kind = kinds[data[0] % 4];
    if (data[1] & 1) {
        upstream.username = "user";
        upstream.password = "password";
    }
    relay::TunnelTarget target;
    target.host = "host.test";
    target.port = 443;
    if (data[1] & 2) target.ipv4 = std::array<std::uint8_t, 4>{127, 0, 0, 1};
    if (data[1] & 4) target.ipv6 = std::array<std::uint8_t, 16>{};
    std::string_view replies(reinterpret_cast<const char*>(data + 2), size - 2);

    const std::size_t readSize = (data[1] >> 3) + 1u;

    relay::TunnelHandshake handshake(upstream, target);
    std::string request;
    std::string received;
    relay::TunnelHandshake::Status status = handshake.Begin(request);
    for (int step = 0; status == relay::TunnelHandshake::Status::Continue; ++step) {
        if (step > 4 || request.empty()) std::abort();
        relay::ReplyFrame frame;
        for (;;) {
            frame = handshake.Frame(received);
            if (frame.status != relay::ReplyFrame::Status::Partial) break;
            if (replies.empty()) return 0;
            const std::size_t take = readSize < replies.size() ? readSize : replies.size();
            received.append(replies.substr(0, take));
            replies.remove_prefix(take);
        }
        if (frame.status == relay::ReplyFrame::Status::Malformed) return 0;
        if (frame.length == 0 || frame.length > received.size()) std::abort();
        const std::string_view reply = std::string_view(received).substr(0, frame.length);
        const relay::ReplyFrame alone = handshake.Frame(reply);
        if (alone.status != relay::ReplyFrame::Status::Whole || alone.length != frame.length) std::abort();
        if (handshake.Frame(reply.substr(0, reply.size() - 1)).status == relay::ReplyFrame::Status::Whole) std::abort();
        status = handshake.OnReply(reply, request);
        received.erase(0, frame.length);
    }
    return 0;
}
