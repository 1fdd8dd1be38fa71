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
    // Auto-reset; signalled while a connection waits to be accepted.
    UniqueWsaEvent connection_waiting{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    UniqueHandle accept_thread;
    std::uint16_t port = 0;

    bool Listen(std::uint16_t& first);
    bool Bind(std::uint16_t& first);
    static unsigned __stdcall AcceptLoop(void* self);
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

// An accepted socket has the listener's properties: it comes non-blocking
// (the worker reads the request at once, before it gives the socket an
// event of its own), without coalescing of small sends, and associated with
// connection_waiting for accepts only, which never signals on it.
bool CSocketProxy::Impl::Listen(std::uint16_t& first) {
    if (!connection_waiting) return false;
    listener.reset(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!listener) return false;
    const BOOL noDelay = TRUE;
    setsockopt(listener.get(), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay);
    if (Bind(first) && listen(listener.get(), kListenBacklog) == 0 &&
        WSAEventSelect(listener.get(), connection_waiting.get(), FD_ACCEPT) == 0)
        return true;
    listener.reset();
    return false;
}

// One accept per signal: while more connections wait, the accept signals
// the event again.
unsigned __stdcall CSocketProxy::Impl::AcceptLoop(void* self) {
    Impl& impl = *static_cast<Impl*>(self);
    WSAEVENT waitSet[] = {impl.shared->StopEvent(), impl.connection_waiting.get()};
    while (WSAWaitForMultipleEvents(2, waitSet, FALSE, WSA_INFINITE, FALSE) == WSA_WAIT_EVENT_0 + 1) {
        UniqueSocket client(accept(impl.listener.get(), nullptr, nullptr));
        if (!client) {
            // Gone before it was taken: reset while queued, the browser's
            // affair only.
            const int error = WSAGetLastError();
            if (error == WSAEWOULDBLOCK || error == WSAECONNRESET) continue;
            break;
        }
        impl.shared->Hand(std::move(client));
        if (impl.shared->NeedsSpareWorker()) StartWorker(impl.shared);
    }
    return 0;
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

    std::uint16_t bound = port;
    if (!impl.Listen(bound)) return false;
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
        WaitForSingleObject(impl.accept_thread.get(), INFINITE);
        impl.accept_thread.reset();
    }
    impl.listener.reset();
    impl.shared->WaitForWorkers(kWorkerGraceMs);
    return true;
}
