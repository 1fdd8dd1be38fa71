#include "proxy/relay/upstream_info.h"

#include "proxy/ascii_case.h"

namespace relay {
namespace {

template <typename Char>
std::optional<UpstreamKind> FindScheme(std::basic_string_view<Char> scheme) {
    struct Name {
        std::string_view scheme;
        UpstreamKind kind;
    };
    static constexpr Name kNames[] = {
        {"socks4", UpstreamKind::Socks4}, {"socks4a", UpstreamKind::Socks4a}, {"socks5", UpstreamKind::Socks5},
        {"socks5h", UpstreamKind::Socks5h}, {"https", UpstreamKind::Https}, {"http", UpstreamKind::Http},
    };
    for (const Name& name : kNames)
        if (proxy::EqualsIgnoringAsciiCase<Char, char>(scheme, name.scheme)) return name.kind;
    return std::nullopt;
}

}  // namespace

std::optional<UpstreamKind> KindFromScheme(std::string_view scheme) { return FindScheme(scheme); }

std::optional<UpstreamKind> KindFromScheme(std::wstring_view scheme) { return FindScheme(scheme); }

}  // namespace relay
