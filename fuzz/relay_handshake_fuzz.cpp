// Plays an upstream proxy whose replies are the fuzz input, for every kind of
// handshake, delivered in reads of a size the input chooses: every reply must
// be framed alike however it arrives, and the handshake must end in a
// bounded number of steps.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tests/support/handshake_conversation.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2 || size > (1u << 18)) return 0;
    const relay::UpstreamKind kinds[] = {relay::UpstreamKind::Socks4, relay::UpstreamKind::Socks4a,
                                         relay::UpstreamKind::Socks5, relay::UpstreamKind::Socks5h,
                                         relay::UpstreamKind::Https};
    relay::UpstreamInfo upstream;
    upstream.kind = kinds[data[0] % 5];
    if (data[1] & 1) {
        upstream.username = "user";
        upstream.password = "password";
    }
    relay::TunnelTarget target;
    target.host = "host.test";
    target.port = 443;
    if (data[1] & 2) target.ipv4 = std::array<std::uint8_t, 4>{127, 0, 0, 1};
    if (data[1] & 4) target.ipv6 = std::array<std::uint8_t, 16>{};
    relay::TunnelHandshake handshake(upstream, target);
    const std::string_view replies(reinterpret_cast<const char*>(data + 2), size - 2);
    if (!relay_oracle::Converse(handshake, replies, (data[1] >> 3) + 1u).fault.empty()) std::abort();
    return 0;
}
