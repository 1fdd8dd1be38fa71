#include "proxy/proxy_document.h"

#include <climits>
#include <cstdint>

namespace {

bool EqualsIgnoringCase(std::wstring_view text, std::wstring_view lowercase) {
    if (text.size() != lowercase.size()) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
        if (c != lowercase[i]) return false;
    }
    return true;
}

std::wstring* ConfigField(ProxyConfig& config, std::wstring_view key) {
    if (EqualsIgnoringCase(key, L"dispatch_id")) return &config.dispatch_id;
    if (EqualsIgnoringCase(key, L"default_id")) return &config.default_id;
    if (EqualsIgnoringCase(key, L"bypass_list")) return &config.bypass_list;
    if (EqualsIgnoringCase(key, L"bypass_local")) return &config.bypass_local;
    return nullptr;
}

std::wstring* EntryField(ProxyEntry& entry, std::wstring_view key) {
    if (EqualsIgnoringCase(key, L"id")) return &entry.id;
    if (EqualsIgnoringCase(key, L"name")) return &entry.name;
    if (EqualsIgnoringCase(key, L"scheme")) return &entry.scheme;
    if (EqualsIgnoringCase(key, L"host")) return &entry.host;
    if (EqualsIgnoringCase(key, L"port")) return &entry.port;
    if (EqualsIgnoringCase(key, L"username")) return &entry.username;
    if (EqualsIgnoringCase(key, L"password")) return &entry.password;
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
    if (EqualsIgnoringCase(scheme, L"http") || EqualsIgnoringCase(scheme, L"https")) return ProxyKind::Http;
    if (EqualsIgnoringCase(scheme, L"socks4") || EqualsIgnoringCase(scheme, L"socks4a") ||
        EqualsIgnoringCase(scheme, L"socks5") || EqualsIgnoringCase(scheme, L"socks5h"))
        return ProxyKind::Socks;
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
