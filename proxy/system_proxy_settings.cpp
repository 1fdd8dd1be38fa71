#include "proxy/system_proxy_settings.h"

#include <optional>
#include <string>

#include "frame/text_conversion.h"

namespace {

constexpr wchar_t kInternetSettings[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr DWORD kTextCapacity = 260;  // characters; longer values count as unreadable

class RegistryKey {
public:
    explicit RegistryKey(const wchar_t* path) {
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key_) != ERROR_SUCCESS) key_ = nullptr;
    }
    ~RegistryKey() {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    std::optional<DWORD> ReadNumber(const wchar_t* name) const {
        DWORD value = 0;
        DWORD size = sizeof value;
        if (key_ == nullptr ||
            RegQueryValueExW(key_, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
            size != sizeof value)
            return std::nullopt;
        return value;
    }

    // The value as text whatever its registry type, up to its first NUL.
    std::optional<std::wstring> ReadText(const wchar_t* name) const {
        wchar_t text[kTextCapacity] = {};
        DWORD size = sizeof text;
        if (key_ == nullptr ||
            RegQueryValueExW(key_, name, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS)
            return std::nullopt;
        // The data need not end in a NUL: only the bytes returned count.
        std::wstring value(text, size / sizeof(wchar_t));
        return value.substr(0, value.find(L'\0'));
    }

private:
    HKEY key_ = nullptr;
};

}  // namespace

InternetProxy ReadSystemProxySettings() {
    const InternetProxy direct;
    const RegistryKey settings(kInternetSettings);
    if (settings.ReadNumber(L"ProxyEnable") != DWORD{1}) return direct;
    const std::optional<std::wstring> server = settings.ReadText(L"ProxyServer");
    if (!server || server->empty()) return direct;

    InternetProxy proxy;
    proxy.access = INTERNET_OPEN_TYPE_PROXY;
    proxy.proxyList = ToUtf8(*server);
    const std::optional<std::wstring> bypass = settings.ReadText(L"ProxyOverride");
    if (bypass && !bypass->empty()) proxy.bypassList = ToUtf8(*bypass);
    return proxy;
}
