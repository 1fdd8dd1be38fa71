#pragma once
// The proxy service: keeps the process's internet proxy in step with the
// browser's setting "browser.general.proxy_config_type", read from the
// configuration board at Start and from change broadcasts afterwards. A
// SOCKS upstream is served through a local relay that this object owns.

#include <memory>
#include <string>

#include "proxy/i_proxy.h"
#include "proxy/proxy_document.h"

class CSocketProxy;

namespace proxy {

class CProxyObject final : public IProxy {
public:
    CProxyObject();
    CProxyObject(const CProxyObject&) = delete;
    CProxyObject& operator=(const CProxyObject&) = delete;

    void* RERIDU_THISCALL DeletingDestructor(unsigned flags) override;
    // Applies the board's initial value, registers the calling thread with
    // the message library and subscribes to changes (once per process).
    // False only when the board holds a record of the wrong shape: then
    // nothing is applied and no subscription is made.
    bool RERIDU_THISCALL Start() override;
    // Ends the process's subscription and thread registration. A running
    // relay keeps running until it is replaced or this object is destroyed.
    bool RERIDU_THISCALL Stop() override;
    // "0" direct, "1" (or empty) the system settings once "0" has been
    // applied, anything else a proxy document.
    void RERIDU_THISCALL ApplyProxyConfig(const wchar_t* value) override;

    // The broadcast routine: context is the subscribed object, message a key
    // and a value, each NUL-terminated.
    static void __cdecl OnConfigChanged(void* context, const wchar_t* message);

private:
    ~CProxyObject();

    void Apply(const std::wstring& value);
    void ApplyProxyDocument(const std::wstring& document);
    // Replaces the relay with one for `entry` and points the process's proxy
    // at it; when the relay cannot listen the settings stay as they were.
    bool StartLocalRelay(const ProxyEntry* entry, const ProxyConfig* config);

    std::unique_ptr<CSocketProxy> relay_;
};

// An HTTP or HTTPS entry as the process's proxy: host:port with the
// document's bypass list. The entry's credentials are not used.
bool SetWinInetProxy(const ProxyEntry* entry, const ProxyConfig* config);

}  // namespace proxy
