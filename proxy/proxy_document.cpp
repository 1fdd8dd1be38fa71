#include "proxy/proxy_document.h"

#include <climits>
#include <cstdint>

#include "proxy/ascii_case.h"
#include "proxy/relay/upstream_info.h"

namespace proxy {

namespace {

std::wstring* ConfigField(ProxyConfig& config, std::wstring_view key) {
    if (EqualsIgnoringAsciiCase(key, "dispatch_id")) return &config.dispatch_id;
    if (EqualsIgnoringAsciiCase(key, "default_id")) return &config.default_id;
    if (EqualsIgnoringAsciiCase(key, "bypass_list")) return &config.bypass_list;
    if (EqualsIgnoringAsciiCase(key, "bypass_local")) return &config.bypass_local;
    return nullptr;
}

std::wstring* EntryField(ProxyEntry& entry, std::wstring_view key) {
    if (EqualsIgnoringAsciiCase(key, "id")) return &entry.id;
    if (EqualsIgnoringAsciiCase(key, "name")) return &entry.name;
    if (EqualsIgnoringAsciiCase(key, "scheme")) return &entry.scheme;
    if (EqualsIgnoringAsciiCase(key, "host")) return &entry.host;
    if (EqualsIgnoringAsciiCase(key, "port")) return &entry.port;
    if (EqualsIgnoringAsciiCase(key, "username")) return &entry.username;
    if (EqualsIgnoringAsciiCase(key, "password")) return &entry.password;
    return nullptr;
}

}  // namespace

ult::json::array_callback* CProxyObject_CB::member_array(const std::wstring& /*key*/) {
    return &arrays_.emplace_back(this);
}

void CProxyObject_CB::member_value(const std::wstring& key, const ult::json::json_value& value) {
    if (std::wstring* field = ConfigField(config_, key)) {
        *field = value.text;
        return;
    }
    // An entry key before any entry object has no entry to go to.
    if (config_.current == nullptr) return;
    if (std::wstring* field = EntryField(*config_.current, key)) *field = value.text;
}

void CProxyObject_CB::StartEntry() { config_.current = &config_.entries.emplace_back(); }

ult::json::object_callback* CProxyArray_CB::element_object() {
    if (owner_ == nullptr) return nullptr;
    owner_->StartEntry();
    return owner_;
}

const ProxyEntry* ChooseEntry(const ProxyConfig& config) {
    for (const ProxyEntry& entry : config.entries)
        if (!entry.id.empty() && !entry.host.empty()) return &entry;
    return nullptr;
}

ProxyKind KindOfScheme(std::wstring_view scheme) {
    switch (relay::KindFromScheme(scheme).value_or(relay::UpstreamKind::None)) {
        case relay::UpstreamKind::Http:
        case relay::UpstreamKind::Https:
            return ProxyKind::Http;
        case relay::UpstreamKind::Socks4:
        case relay::UpstreamKind::Socks4a:
        case relay::UpstreamKind::Socks5:
        case relay::UpstreamKind::Socks5h:
            return ProxyKind::Socks;
        case relay::UpstreamKind::None:
            break;
    }
    return ProxyKind::Unknown;
}

int AtoiRules(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > std::int64_t{INT_MAX} + 1) break;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

}  // namespace proxy
