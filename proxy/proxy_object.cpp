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
#include <memory>
#include <string_view>

#include "frame/debug_trace.h"
#include "proxy/board/board_access.h"
#include "proxy/relay/socket_proxy.h"
#include "stand_ins/rovud/rovud.h"

namespace {

constexpr wchar_t kInitialValueBoard[] = L"kt3.config.initvalue.board";
constexpr wchar_t kSettingName[] = L"browser.general.proxy_config_type";
constexpr wchar_t kChangeBroadcast[] = L"kt3.config.changed.prefix.brobrowser.general.proxy_config_type";

class ThreadRegistration {
public:
    ThreadRegistration() { RoVudEnterCurrentThread(); }
    ~ThreadRegistration() { RoVudLeaveCurrentThread(); }
    ThreadRegistration(const ThreadRegistration&) = delete;
    ThreadRegistration& operator=(const ThreadRegistration&) = delete;
};

class ChangeListener {
public:
    ChangeListener(void* handle, const CProxyObject* subscriber) : handle_(handle), subscriber_(subscriber) {}
    ~ChangeListener() { RoVudDestoryListener(handle_); }
    ChangeListener(const ChangeListener&) = delete;
    ChangeListener& operator=(const ChangeListener&) = delete;

    const CProxyObject* subscriber() const { return subscriber_; }

private:
    void* handle_;
    const CProxyObject* subscriber_;
};

// Ended at unload at the latest, so no notification can reach unloaded code.
std::unique_ptr<ThreadRegistration> g_registration;
std::unique_ptr<ChangeListener> g_listener;

void TraceException(const wchar_t* operation, const std::exception& error) {
    DebugTrace(L"Proxy %s failed: %hs", operation, error.what());
}

}  // namespace

CProxyObject::CProxyObject() = default;

CProxyObject::~CProxyObject() {
    // A subscription pointing at this object would call it after it is gone.
    if (g_listener && g_listener->subscriber() == this) g_listener.reset();
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
        if (!g_registration) g_registration = std::make_unique<ThreadRegistration>();
        if (!g_listener) {
            if (void* handle = RoVudCreateBroadcastListener(kChangeBroadcast, &CProxyObject::OnConfigChanged, this))
                g_listener = std::make_unique<ChangeListener>(handle, this);
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
