#pragma once
// The process-wide proxy of WinINet, and the one place that sets it.

#include <windows.h>
#include <wininet.h>

#include <optional>
#include <string>

struct InternetProxy {
    DWORD access = INTERNET_OPEN_TYPE_DIRECT;  // or INTERNET_OPEN_TYPE_PROXY
    std::optional<std::string> proxyList;      // UTF-8; none is a null pointer
    std::optional<std::string> bypassList;
};

// InternetSetOptionA(NULL, INTERNET_OPTION_PROXY, ...) with the settings
// as an INTERNET_PROXY_INFO; whether it succeeded.
bool SetProcessInternetProxy(const InternetProxy& settings);

// Wine accepts the option but nothing afterwards shows it, so tests that
// link the library replace the call to see what was applied; null puts
// InternetSetOptionA back.
using InternetSetOptionFunction = BOOL(WINAPI*)(HINTERNET, DWORD, LPVOID, DWORD);
void ReplaceInternetSetOption(InternetSetOptionFunction replacement);
