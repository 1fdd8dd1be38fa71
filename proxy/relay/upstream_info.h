#pragma once
// The upstream proxy the relay carries connections through.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace relay {

// Socks5h is SOCKS5 with every target name left to the proxy to resolve, as
// curl and other clients spell it: no name is looked up here, so none leaks
// to the local resolver.
enum class UpstreamKind : std::uint32_t {
    None = 0,
    Http = 1,
    Socks4 = 2,
    Socks5 = 3,
    Https = 4,
    Socks4a = 5,
    Socks5h = 6,
};

struct UpstreamInfo {
    std::string host;  // name or dotted IPv4 address
    std::uint16_t port = 0;
    std::string username;  // empty: no credentials
    std::string password;
    UpstreamKind kind = UpstreamKind::None;
};

// "socks4", "socks4a", "socks5", "socks5h", "https" or "http" in any letter case.
std::optional<UpstreamKind> KindFromScheme(std::string_view scheme);
std::optional<UpstreamKind> KindFromScheme(std::wstring_view scheme);

}  // namespace relay
