#pragma once

#include "proxy/internet_proxy.h"

// The current user's Internet Explorer proxy ("ProxyEnable", "ProxyServer",
// "ProxyOverride"): a proxy only when it is enabled and names a server,
// direct access otherwise.
InternetProxy ReadSystemProxySettings();
