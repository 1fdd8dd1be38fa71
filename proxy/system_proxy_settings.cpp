#include "proxy/system_proxy_settings.h"

#include <optional>
#include <string>

#include "frame/registry_key.h"
#include "frame/text_conversion.h"

namespace proxy {

namespace {

constexpr wchar_t kInternetSettings[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
// A value with its NUL must fit 260 characters; a longer one counts as unreadable.
constexpr std::size_t kMaxTextLength = 259;

std::wstring ReadText(const RegistryKey& key, const wchar_t* name) {
    std::wstring text;
    if (key.ReadString(name, kMaxTextLength, &text) != ERROR_SUCCESS) return {};
    return text;
}

}  // namespace

InternetProxy ReadSystemProxySettings() {
    const InternetProxy direct;
    const std::optional<RegistryKey> settings = RegistryKey::Open(HKEY_CURRENT_USER, kInternetSettings, KEY_READ);
    if (!settings || settings->ReadDword(L"ProxyEnable") != DWORD{1}) return direct;
    const std::wstring server = ReadText(*settings, L"ProxyServer");
    if (server.empty()) return direct;

    InternetProxy proxy;
    proxy.access = INTERNET_OPEN_TYPE_PROXY;
    proxy.proxyList = ToUtf8(server);
    const std::wstring bypass = ReadText(*settings, L"ProxyOverride");
    if (!bypass.empty()) proxy.bypassList = ToUtf8(bypass);
    return proxy;
}

}  // namespace proxy
