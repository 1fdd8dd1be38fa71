// Applying one value of the proxy setting.
#include <memory>
#include <new>
#include <string>

#include "frame/debug_trace.h"
#include "frame/text_conversion.h"
#include "proxy/internet_proxy.h"
#include "proxy/proxy_object.h"
#include "proxy/relay/socket_proxy.h"
#include "proxy/system_proxy_settings.h"

namespace proxy {

namespace {

// Set once "0" has been applied in this process: only then does "1" mean
// going back to the system settings.
bool g_directModeApplied = false;

constexpr std::uint16_t kFirstRelayPort = 10000;

}  // namespace

bool SetWinInetProxy(const ProxyEntry* entry, const ProxyConfig* config) {
    if (entry == nullptr || config == nullptr) return false;
    InternetProxy proxy;
    proxy.access = INTERNET_OPEN_TYPE_PROXY;
    proxy.proxyList = ToUtf8(entry->host + L":" + entry->port);
    proxy.bypassList = ToUtf8(config->bypass_list);
    return SetProcessInternetProxy(proxy);
}

void CProxyObject::Apply(const std::wstring& value) {
    if (value == L"0") {
        SetProcessInternetProxy(InternetProxy{});
        g_directModeApplied = true;
    } else if (value.empty() || value == L"1") {
        if (g_directModeApplied) SetProcessInternetProxy(ReadSystemProxySettings());
    } else {
        ApplyProxyDocument(value);
    }
}

void CProxyObject::ApplyProxyDocument(const std::wstring& document) {
    CProxyObject_CB reader;
    ult::json::parse_object(document.data(), document.size(), &reader);
    const ProxyEntry* entry = ChooseEntry(reader.config());
    if (entry == nullptr || entry->scheme.empty()) return;
    switch (KindOfScheme(entry->scheme)) {
        case ProxyKind::Http:
            SetWinInetProxy(entry, &reader.config());
            break;
        case ProxyKind::Socks:
            StartLocalRelay(entry, &reader.config());
            break;
        case ProxyKind::Unknown:
            DebugTrace(L"Proxy is something wrong, the type is unknown");
            break;
    }
}

bool CProxyObject::StartLocalRelay(const ProxyEntry* entry, const ProxyConfig* config) {
    if (entry == nullptr || config == nullptr) return false;
    // The old relay goes first, so the new one can have its port back.
    relay_.reset();
    try {
        relay_ = std::make_unique<CSocketProxy>();
    } catch (const std::bad_alloc&) {
        DebugTrace(L"No memory for the local relay; the proxy settings are unchanged");
        return false;
    }
    relay_->SetUpstream(ToUtf8(entry->name), ToUtf8(entry->host), ToUtf8(entry->username), ToUtf8(entry->password),
                        ToUtf8(entry->scheme), AtoiRules(ToUtf8(entry->port)), AtoiRules(ToUtf8(entry->id)));
    std::uint16_t port = kFirstRelayPort;
    if (!relay_->Start(port)) {
        // Pointing the process at a port where nothing of ours listens would
        // lose every request, or hand it to some other program.
        DebugTrace(L"The local relay could not listen from port %u; the proxy settings are unchanged",
                   unsigned{kFirstRelayPort});
        relay_.reset();
        return false;
    }
    InternetProxy proxy;
    proxy.access = INTERNET_OPEN_TYPE_PROXY;
    proxy.proxyList = "127.0.0.1:" + std::to_string(port);
    proxy.bypassList = std::string();  // empty, not null: nothing bypasses the relay
    return SetProcessInternetProxy(proxy);
}

}  // namespace proxy
