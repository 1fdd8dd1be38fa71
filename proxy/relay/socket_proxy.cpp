#include "proxy/relay/socket_proxy.h"

#include <process.h>

#include "proxy/relay/connection_worker.h"
#include "proxy/relay/relay_shared.h"
#include "proxy/relay/win_handles.h"

namespace {

using namespace relay;

constexpr int kListenBacklog = 50;

// Workers notice the stop event at once, except inside a name lookup, which
// cannot be interrupted; Stop waits this long for them before it returns and
// leaves any latecomer to finish on its own (it touches only shared state).
constexpr DWORD kWorkerGraceMs = 10 * 1000;

}  // namespace

class CSocketProxy::Impl {
public:
    std::shared_ptr<RelayShared> shared = std::make_shared<RelayShared>();
    UniqueSocket listener;
    UniqueHandle accept_thread;
    std::uint16_t port = 0;

    bool Bind(std::uint16_t& first);
    static unsigned __stdcall AcceptLoop(void* self);
    void WakeAcceptThread();
};

bool CSocketProxy::Impl::Bind(std::uint16_t& first) {
    // Without exclusive use another program could bind the same address
    // with SO_REUSEADDR and take the browser's connections.
    const BOOL exclusive = TRUE;
    setsockopt(listener.get(), SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
               sizeof exclusive);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    for (std::uint32_t candidate = first; candidate <= 65535; ++candidate) {
        address.sin_port = htons(static_cast<std::uint16_t>(candidate));
        if (bind(listener.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            first = static_cast<std::uint16_t>(candidate);
            return true;
        }
    }
    return false;
}

// A blocking accept on a blocking listener. Stop wakes it by connecting to
// the listener rather than by closing the socket under it: a closed handle
// value can be reused by another socket before the thread reaches accept.
unsigned __stdcall CSocketProxy::Impl::AcceptLoop(void* self) {
    Impl& impl = *static_cast<Impl*>(self);
    while (!impl.shared->Stopping()) {
        UniqueSocket client(accept(impl.listener.get(), nullptr, nullptr));
        if (impl.shared->Stopping()) break;
        if (!client) {
            // A connection reset while queued is the browser's affair only.
            if (WSAGetLastError() == WSAECONNRESET) continue;
            break;
        }
        impl.shared->Hand(std::move(client));
        if (impl.shared->NeedsSpareWorker()) StartWorker(impl.shared);
    }
    return 0;
}

void CSocketProxy::Impl::WakeAcceptThread() {
    UniqueSocket poke(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (poke && connect(poke.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return;
    // Closing the socket under a blocked accept also ends it.
    listener.reset();
}

CSocketProxy::CSocketProxy() : impl_(std::make_unique<Impl>()) {}

CSocketProxy::~CSocketProxy() { Stop(); }

void CSocketProxy::SetUpstream(const std::string&, const std::string& host, const std::string& username,
                               const std::string& password, const std::string& scheme, int port, int) {
    UpstreamInfo upstream;
    upstream.host = host;
    upstream.port = static_cast<std::uint16_t>(static_cast<unsigned>(port) & 0xFFFF);
    upstream.username = username;
    upstream.password = password;
    upstream.kind = KindFromScheme(scheme).value_or(UpstreamKind::None);
    impl_->shared->SetUpstream(upstream);
}

bool CSocketProxy::Start(std::uint16_t& port) {
    Impl& impl = *impl_;
    if (port == 0) return false;
    if (impl.listener) {
        port = impl.port;
        return false;
    }
    // A stopped relay stays stopped: its stop event cannot be taken back
    // from workers that may still be looking at it.
    if (!impl.shared->Usable() || impl.shared->Stopping()) return false;

    UniqueSocket listener(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!listener) return false;
    impl.listener = std::move(listener);
    std::uint16_t bound = port;
    if (!impl.Bind(bound) || listen(impl.listener.get(), kListenBacklog) != 0) {
        impl.listener.reset();
        return false;
    }
    impl.port = bound;
    for (int i = 0; i < RelayShared::kSpareWorkers; ++i) StartWorker(impl.shared);
    impl.accept_thread.reset(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, Impl::AcceptLoop, &impl, 0, nullptr)));
    if (!impl.accept_thread) {
        impl.listener.reset();
        return false;
    }
    port = bound;
    return true;
}

bool CSocketProxy::Stop() {
    Impl& impl = *impl_;
    if (impl.shared->Usable()) impl.shared->SignalStop();
    if (impl.accept_thread) {
        impl.WakeAcceptThread();
        WaitForSingleObject(impl.accept_thread.get(), INFINITE);
        impl.accept_thread.reset();
    }
    impl.listener.reset();
    impl.shared->WaitForWorkers(kWorkerGraceMs);
    return true;
}
