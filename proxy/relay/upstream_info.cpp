#include "proxy/relay/upstream_info.h"

#include "proxy/relay/http_request.h"

namespace relay {

std::optional<UpstreamKind> KindFromScheme(std::string_view scheme) {
    struct Name {
        std::string_view scheme;
        UpstreamKind kind;
    };
    static constexpr Name kNames[] = {
        {"socks4", UpstreamKind::Socks4}, {"socks4a", UpstreamKind::Socks4a}, {"socks5", UpstreamKind::Socks5},
        {"socks5h", UpstreamKind::Socks5h}, {"https", UpstreamKind::Https}, {"http", UpstreamKind::Http},
    };
    for (const Name& name : kNames)
        if (EqualsNoCase(scheme, name.scheme)) return name.kind;
    return std::nullopt;
}

}  // namespace relay
