// Plays an upstream proxy whose replies are the fuzz input, for every kind of
// handshake. The handshake must never ask for a byte it will not use, never
// accept a reply it has not framed, and end in a bounded number of steps.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "proxy/relay/tunnel_handshake.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2 || size > (1u << 18)) return 0;
    const relay::UpstreamKind kinds[] = {relay::UpstreamKind::Socks4, relay::UpstreamKind::Socks4a,
                                         relay::UpstreamKind::Socks5, relay::UpstreamKind::Https};
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

    relay::TunnelHandshake handshake(upstream, target);
    std::string request;
    relay::TunnelHandshake::Status status = handshake.Begin(request);
    for (int step = 0; status == relay::TunnelHandshake::Status::Continue; ++step) {
        if (step > 4 || request.empty()) std::abort();
        std::string reply;
        for (;;) {
            const auto missing = handshake.Missing(reply);
            if (!missing) return 0;
            if (*missing == 0) break;
            if (replies.empty()) return 0;
            const std::size_t take = *missing < replies.size() ? *missing : replies.size();
            reply.append(replies.substr(0, take));
            replies.remove_prefix(take);
        }
        status = handshake.OnReply(reply, request);
    }
    return 0;
}
