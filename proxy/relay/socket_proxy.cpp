#include "proxy/relay/socket_proxy.h"

#include "proxy/relay/connection_worker.h"
#include "proxy/relay/doorkeeper.h"
#include "proxy/relay/relay_shared.h"
#include "proxy/relay/win_handles.h"

namespace {

using namespace relay;

constexpr int kListenBacklog = 50;

// Binds to 127.0.0.1 at first or the first free port above it.
bool Bind(SOCKET listener, std::uint16_t& first) {
    // Without exclusive use another program could bind the same address
    // with SO_REUSEADDR and take the browser's connections.
    const BOOL exclusive = TRUE;
    setsockopt(listener, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
               sizeof exclusive);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    for (std::uint32_t candidate = first; candidate <= 65535; ++candidate) {
        address.sin_port = htons(static_cast<std::uint16_t>(candidate));
        if (bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            first = static_cast<std::uint16_t>(candidate);
            return true;
        }
    }
    return false;
}

}  // namespace

class CSocketProxy::Impl {
public:
    std::shared_ptr<RelayShared> shared = std::make_shared<RelayShared>();
    std::uint16_t port = 0;
};

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
    RelayShared& shared = *impl.shared;
    if (port == 0) return false;
    if (shared.Listening()) {
        port = impl.port;
        return false;
    }
    // A stopped relay stays stopped: its stop event cannot be taken back
    // from workers that may still be looking at it.
    if (!shared.Usable() || shared.Stopping()) return false;

    UniqueSocket listener(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!listener) return false;
    // Accepted sockets have the listener's properties: they come
    // non-blocking (a worker reads the request at once, before it gives the
    // socket an event of its own), without coalescing of small sends, and
    // associated with the listener's event for accepts only, which never
    // signals on them.
    const BOOL noDelay = TRUE;
    setsockopt(listener.get(), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay);
    std::uint16_t bound = port;
    if (!Bind(listener.get(), bound) || !shared.Listen(std::move(listener), kListenBacklog)) return false;
    int started = 0;
    for (int i = 0; i < RelayShared::kSpareWorkers; ++i) started += StartWorker(impl.shared) ? 1 : 0;
    if (started == 0 || !StartDoorkeeper(impl.shared)) {
        shared.SignalStop();
        return false;
    }
    impl.port = bound;
    port = bound;
    return true;
}

bool CSocketProxy::Stop() {
    // The relay's threads see the stop at once, except one inside a name
    // lookup, which nothing interrupts; none is waited for: each keeps what
    // it uses, the library included, until it has let go of its sockets.
    RelayShared& shared = *impl_->shared;
    if (shared.Usable()) shared.SignalStop();
    return true;
}
