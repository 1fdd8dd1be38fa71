#include "proxy/relay/upstream_connect.h"

#include <ws2tcpip.h>

#include <atomic>
#include <cstring>

#include "proxy/relay/socket_io.h"

namespace relay {
namespace {

std::atomic<NameLookup> g_lookup{nullptr};

constexpr int kConnectAttempts = 3;
constexpr DWORD kPauseBetweenAttemptsMs = 1000;

struct AddrInfoTraits {
    using Value = addrinfo*;
    static Value Invalid() { return nullptr; }
    static void Close(Value list) { freeaddrinfo(list); }
};

enum class Attempt { Connected, Failed, GiveUp };

void DisableCoalescing(SOCKET socket) {
    const BOOL noDelay = TRUE;
    // The relay forwards what it has at once; coalescing is the ends' business.
    setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay);
}

// Why a socket whose connect completed could not take the opening message.
Attempt WhyNotConnected(SOCKET socket) {
    WSANETWORKEVENTS events{};
    if (WSAEnumNetworkEvents(socket, nullptr, &events) != 0) return Attempt::GiveUp;
    if (!(events.lNetworkEvents & FD_CONNECT)) return Attempt::Failed;
    switch (events.iErrorCode[FD_CONNECT_BIT]) {
        case 0:  // it stood, and the proxy went away at once
        // A timeout (10060) took the system's whole connect timeout already.
        case WSAETIMEDOUT:
            return Attempt::GiveUp;
        default:
            return Attempt::Failed;
    }
}

Attempt TryConnect(WSAEVENT stop, WSAEVENT connectEvent, const sockaddr_in& address, std::string_view opening,
                   UniqueSocket& slot) {
    slot.reset(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!slot) return Attempt::GiveUp;
    // Also makes the socket non-blocking, so the connect below returns at
    // once. The one association serves the connect and, after it, the
    // connection's whole life: each WSAEventSelect costs a round trip.
    if (WSAEventSelect(slot.get(), connectEvent, FD_CONNECT | FD_READ | FD_CLOSE) != 0) return Attempt::GiveUp;
    WSAResetEvent(connectEvent);

    const bool connectedAtOnce = WSAConnect(slot.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address,
                                            nullptr, nullptr, nullptr, nullptr) == 0;
    if (!connectedAtOnce) {
        if (WSAGetLastError() != WSAEWOULDBLOCK) return Attempt::Failed;
        // Nothing else can signal the event before the connect completes.
        WSAEVENT waitSet[] = {stop, connectEvent};
        if (WSAWaitForMultipleEvents(2, waitSet, FALSE, WSA_INFINITE, FALSE) != WSA_WAIT_EVENT_0 + 1)
            return Attempt::GiveUp;
    }
    DisableCoalescing(slot.get());
    // The opening message goes out on a connection that stands and fails on
    // one that does not, so sending it is how the outcome is learnt: the
    // notifications that say why are read only after a failure.
    if (SendAll(slot.get(), opening, stop)) return Attempt::Connected;
    return connectedAtOnce ? Attempt::GiveUp : WhyNotConnected(slot.get());
}

}  // namespace

std::optional<std::array<std::uint8_t, 4>> ResolveHostV4(const std::string& host) {
    std::array<std::uint8_t, 4> address{};
    const unsigned long dotted = inet_addr(host.c_str());
    if (dotted != INADDR_NONE) {
        std::memcpy(address.data(), &dotted, 4);
        return address;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const NameLookup replacement = g_lookup.load();
    const int failed = host.empty() ? EAI_NONAME
                       : replacement ? replacement(host.c_str(), nullptr, &hints, &found)
                                     : getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (failed != 0 || found == nullptr) return std::nullopt;
    const UniqueObject<AddrInfoTraits> owner(found);
    const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    std::memcpy(address.data(), &ipv4->sin_addr, 4);
    return address;
}

void SetNameLookupForTesting(NameLookup lookup) { g_lookup.store(lookup); }

bool ConnectUpstream(WSAEVENT stop, const std::string& host, std::uint16_t port, std::string_view opening,
                     UniqueSocket& slot, WSAEVENT socketEvent) {
    const auto resolved = ResolveHostV4(host);
    if (!resolved) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    std::memcpy(&address.sin_addr, resolved->data(), 4);

    for (int attempt = 1; attempt <= kConnectAttempts; ++attempt) {
        switch (TryConnect(stop, socketEvent, address, opening, slot)) {
            case Attempt::Connected:
                return true;
            case Attempt::GiveUp:
                return false;
            case Attempt::Failed:
                break;
        }
        slot.reset();
        if (attempt < kConnectAttempts && WaitForSingleObject(stop, kPauseBetweenAttemptsMs) != WAIT_TIMEOUT)
            return false;
    }
    return false;
}

}  // namespace relay
