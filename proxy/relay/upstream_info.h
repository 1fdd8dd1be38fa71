#pragma once
// The upstream proxy the relay carries connections through.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace relay {

enum class UpstreamKind : std::uint32_t { None = 0, Http = 1, Socks4 = 2, Socks5 = 3, Https = 4, Socks4a = 5 };

struct UpstreamInfo {
    std::string host;  // name or dotted IPv4 address
    std::uint16_t port = 0;
    std::string username;  // empty: no credentials
    std::string password;
    UpstreamKind kind = UpstreamKind::None;
};

// "socks4", "socks4a", "socks5", "https" or "http" in any letter case.
std::optional<UpstreamKind> KindFromScheme(std::string_view scheme);

}  // namespace relay
