#pragma once

#include "proxy/internet_proxy.h"

namespace proxy {

// The current user's Internet Explorer proxy ("ProxyEnable", "ProxyServer",
// "ProxyOverride"): a proxy only when it is enabled and names a server,
// direct access otherwise.
InternetProxy ReadSystemProxySettings();

}  // namespace proxy
