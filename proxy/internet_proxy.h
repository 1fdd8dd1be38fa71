#pragma once
// The process-wide proxy of WinINet, and the one place that sets it. Wine
// accepts the option but nothing afterwards shows it, so hosts and tests
// see what is applied by watching this library's import of
// InternetSetOptionA, which is called through the import at every call.

#include <windows.h>
#include <wininet.h>

#include <optional>
#include <string>

namespace proxy {

struct InternetProxy {
    DWORD access = INTERNET_OPEN_TYPE_DIRECT;  // or INTERNET_OPEN_TYPE_PROXY
    std::optional<std::string> proxyList;      // UTF-8; none is a null pointer
    std::optional<std::string> bypassList;
};

// InternetSetOptionA(NULL, INTERNET_OPTION_PROXY, ...) with the settings
// as an INTERNET_PROXY_INFO; whether it succeeded.
bool SetProcessInternetProxy(const InternetProxy& settings);

}  // namespace proxy
