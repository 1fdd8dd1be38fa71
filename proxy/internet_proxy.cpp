#include "proxy/internet_proxy.h"

namespace proxy {

bool SetProcessInternetProxy(const InternetProxy& settings) {
    INTERNET_PROXY_INFO info{};
    info.dwAccessType = settings.access;
    info.lpszProxy = settings.proxyList ? reinterpret_cast<LPCTSTR>(settings.proxyList->c_str()) : nullptr;
    info.lpszProxyBypass = settings.bypassList ? reinterpret_cast<LPCTSTR>(settings.bypassList->c_str()) : nullptr;
    return InternetSetOptionA(nullptr, INTERNET_OPTION_PROXY, &info, sizeof info) != FALSE;
}

}  // namespace proxy
