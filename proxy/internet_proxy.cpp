#include "proxy/internet_proxy.h"

#include <atomic>

namespace {

std::atomic<InternetSetOptionFunction> g_replacement{nullptr};

}  // namespace

void ReplaceInternetSetOption(InternetSetOptionFunction replacement) { g_replacement = replacement; }

bool SetProcessInternetProxy(const InternetProxy& settings) {
    INTERNET_PROXY_INFO info{};
    info.dwAccessType = settings.access;
    info.lpszProxy = settings.proxyList ? reinterpret_cast<LPCTSTR>(settings.proxyList->c_str()) : nullptr;
    info.lpszProxyBypass = settings.bypassList ? reinterpret_cast<LPCTSTR>(settings.bypassList->c_str()) : nullptr;
    // Called through its import at every call, never through a saved
    // address, so a host watching the import table sees each one.
    const InternetSetOptionFunction replacement = g_replacement;
    const BOOL applied = replacement != nullptr
                             ? replacement(nullptr, INTERNET_OPTION_PROXY, &info, sizeof info)
                             : InternetSetOptionA(nullptr, INTERNET_OPTION_PROXY, &info, sizeof info);
    return applied != FALSE;
}
