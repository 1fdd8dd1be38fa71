#pragma once
// ReRidu.dll's proxy service held the way the browser holds it: the object
// through a C table of function pointers in MSVC's slot order, and the
// process's proxy setting seen by watching the library's import of
// InternetSetOptionA (Wine accepts the option but shows nothing of it).

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "host/import_hook.h"
#include "host/library.h"
#include "ult/calling_convention.h"

struct ProxyObject;

// Plain function pointers called the way MSVC calls a member function;
// -pedantic would flag __thiscall outside a class, though GCC applies it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wattributes"
struct ProxyVtbl {
    void*(RERIDU_THISCALL* destroy)(ProxyObject* self, unsigned flags);
    bool(RERIDU_THISCALL* start)(ProxyObject* self);
    bool(RERIDU_THISCALL* stop)(ProxyObject* self);
    void(RERIDU_THISCALL* apply)(ProxyObject* self, const wchar_t* value);
};
#pragma GCC diagnostic pop

struct ProxyObject {
    const ProxyVtbl* vtbl;
};

// Each INTERNET_OPTION_PROXY the library applied, as "ACCESS PROXY BYPASS":
// access "direct", "proxy" or its number, each list quoted or "null".
using Applied = std::vector<std::string>;
constexpr char kDirect[] = "direct null null";

// Loads the library (freshly, when nothing else holds it) and watches it.
// One at a time per process.
class ExportedProxyService {
public:
    ExportedProxyService();

    bool ready() const { return create_ != nullptr && destroy_ != nullptr && hook_ && hook_->installed(); }
    bool Create(ProxyObject** out) const { return create_(reinterpret_cast<class IProxy**>(out)); }
    void Delete(ProxyObject* object) const { destroy_(reinterpret_cast<class IProxy*>(object)); }

    // The settings applied since the last call, oldest first.
    Applied TakeApplied();

private:
    ReriduLibrary library_;
    bool (*create_)(class IProxy**) = nullptr;
    void (*destroy_)(class IProxy*) = nullptr;
    std::unique_ptr<ImportHook> hook_;
};

// A board record holding one proxy setting (or any bytes), put on the
// initial-value board for as long as this lives.
class InitialValueBoard {
public:
    explicit InitialValueBoard(const std::wstring& setting);
    explicit InitialValueBoard(const std::vector<unsigned char>& bytes);
    ~InitialValueBoard();
    InitialValueBoard(const InitialValueBoard&) = delete;
    InitialValueBoard& operator=(const InitialValueBoard&) = delete;
};

// Broadcasts a change of `key` (the proxy setting's by default) and returns
// how many listeners heard it.
constexpr wchar_t kProxySetting[] = L"browser.general.proxy_config_type";
unsigned BroadcastSetting(const std::wstring& value, const std::wstring& key = kProxySetting);
