#include "proxy/relay/upstream_connect.h"

#include <ws2tcpip.h>

#include <cstring>
#include <memory>

namespace relay {
namespace {

constexpr int kConnectAttempts = 3;
constexpr DWORD kPauseBetweenAttemptsMs = 1000;

struct AddrInfoDeleter {
    void operator()(addrinfo* list) const { freeaddrinfo(list); }
};

enum class Attempt { Connected, Failed, GiveUp };

Attempt TryConnect(WSAEVENT stop, WSAEVENT connectEvent, const sockaddr_in& address, UniqueSocket& slot) {
    slot.reset(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!slot) return Attempt::GiveUp;
    WSAResetEvent(connectEvent);
    // Also makes the socket non-blocking, so the connect below returns at once.
    if (WSAEventSelect(slot.get(), connectEvent, FD_CONNECT) != 0) return Attempt::GiveUp;

    bool connected =
        WSAConnect(slot.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address, nullptr, nullptr,
                   nullptr, nullptr) == 0;
    if (!connected) {
        if (WSAGetLastError() != WSAEWOULDBLOCK) return Attempt::Failed;
        WSAEVENT waitSet[] = {stop, connectEvent};
        const DWORD woken = WSAWaitForMultipleEvents(2, waitSet, FALSE, WSA_INFINITE, FALSE);
        if (woken != WSA_WAIT_EVENT_0 + 1) return Attempt::GiveUp;
        WSANETWORKEVENTS events{};
        if (WSAEnumNetworkEvents(slot.get(), connectEvent, &events) != 0) return Attempt::GiveUp;
        if (!(events.lNetworkEvents & FD_CONNECT)) return Attempt::Failed;
        const int error = events.iErrorCode[FD_CONNECT_BIT];
        // A timeout (10060) took the system's whole connect timeout already.
        if (error == WSAETIMEDOUT) return Attempt::GiveUp;
        connected = error == 0;
    }
    if (!connected) return Attempt::Failed;
    WSAEventSelect(slot.get(), nullptr, 0);
    const BOOL noDelay = TRUE;
    // The relay forwards what it has at once; coalescing is the ends' business.
    setsockopt(slot.get(), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay);
    return Attempt::Connected;
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
    if (host.empty() || getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr)
        return std::nullopt;
    const std::unique_ptr<addrinfo, AddrInfoDeleter> owner(found);
    const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    std::memcpy(address.data(), &ipv4->sin_addr, 4);
    return address;
}

bool ConnectUpstream(WSAEVENT stop, const std::string& host, std::uint16_t port, UniqueSocket& slot) {
    const auto resolved = ResolveHostV4(host);
    if (!resolved) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    std::memcpy(&address.sin_addr, resolved->data(), 4);

    const UniqueWsaEvent connectEvent(WSACreateEvent());
    if (!connectEvent) return false;
    for (int attempt = 1; attempt <= kConnectAttempts; ++attempt) {
        switch (TryConnect(stop, connectEvent.get(), address, slot)) {
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
