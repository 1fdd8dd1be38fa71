// The proxy object's life: start, stop, change notifications, destruction.
//
// The subscription and the thread registration belong to the process, not
// to one object: the first Start makes them, pointing notifications at its
// own object, and any Stop ends them. Exceptions never leave these
// functions: their callers are the browser and the message library, built
// with other compilers and run times.
#include "proxy/proxy_object.h"

#include <winsock2.h>

#include <exception>
#include <string_view>

#include "frame/debug_trace.h"
#include "frame/unique_object.h"
#include "proxy/board/board_access.h"
#include "proxy/relay/socket_proxy.h"
#include "stand_ins/rovud/rovud.h"

namespace proxy {

namespace {

constexpr wchar_t kInitialValueBoard[] = L"kt3.config.initvalue.board";
constexpr wchar_t kSettingName[] = L"browser.general.proxy_config_type";
constexpr wchar_t kChangeBroadcast[] = L"kt3.config.changed.prefix.brobrowser.general.proxy_config_type";

// Held while this process's threads are registered with the message library.
struct ThreadRegistrationTraits {
    using Value = bool;
    static Value Invalid() { return false; }
    static void Close(Value) { RoVudLeaveCurrentThread(); }
};

struct BroadcastListenerTraits {
    using Value = void*;
    static Value Invalid() { return nullptr; }
    static void Close(Value listener) { RoVudDestoryListener(listener); }
};

// Ended at unload at the latest, so no notification can reach unloaded code.
UniqueObject<ThreadRegistrationTraits> g_registration;
UniqueObject<BroadcastListenerTraits> g_listener;
const CProxyObject* g_subscriber = nullptr;

void TraceException(const wchar_t* operation, const std::exception& error) {
    DebugTrace(L"Proxy %s failed: %hs", operation, error.what());
}

}  // namespace

CProxyObject::CProxyObject() = default;

CProxyObject::~CProxyObject() {
    // A subscription pointing at this object would call it after it is gone.
    if (g_listener && g_subscriber == this) g_listener.reset();
}

void* CProxyObject::DeletingDestructor(unsigned flags) {
    this->~CProxyObject();
    if (flags & 1) ::operator delete(this);
    return this;
}

bool CProxyObject::Start() {
    WSADATA data;
    if (const int error = WSAStartup(MAKEWORD(1, 1), &data); error != 0)
        DebugTrace(L"WSAStartup error return value is %d, %d", error, WSAGetLastError());
    try {
        BoardInitRecord record;
        if (ReadBoardRecord(record, kInitialValueBoard) && !record.proxy_config_type.empty())
            Apply(record.proxy_config_type);
        if (!g_registration) {
            RoVudEnterCurrentThread();
            g_registration.reset(true);
        }
        if (!g_listener) {
            g_listener.reset(RoVudCreateBroadcastListener(kChangeBroadcast, &CProxyObject::OnConfigChanged, this));
            g_subscriber = this;
        }
    } catch (const std::exception& error) {
        TraceException(L"Start", error);
        return false;
    }
    return true;
}

bool CProxyObject::Stop() {
    g_listener.reset();
    g_registration.reset();
    if (const int error = WSACleanup(); error != 0)
        DebugTrace(L"WSACleanup error return value is %d, %d", error, WSAGetLastError());
    return true;
}

void CProxyObject::ApplyProxyConfig(const wchar_t* value) {
    try {
        Apply(value == nullptr ? std::wstring() : std::wstring(value));
    } catch (const std::exception& error) {
        TraceException(L"ApplyProxyConfig", error);
    }
}

void __cdecl CProxyObject::OnConfigChanged(void* context, const wchar_t* message) {
    if (context == nullptr || message == nullptr) return;
    // The key is compared where it stands: a copy could fail for want of
    // memory, in a callback no exception may leave.
    const std::wstring_view key = message;
    if (key.empty() || key != kSettingName) return;
    static_cast<CProxyObject*>(context)->ApplyProxyConfig(message + key.size() + 1);
}

}  // namespace proxy
