#pragma once
// Reaching the upstream proxy: name lookup and a connection that gives up
// when the relay stops.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <ws2tcpip.h>

#include "proxy/relay/win_handles.h"

namespace relay {

// Dotted IPv4 text as it stands, else the first IPv4 address a lookup gives.
std::optional<std::array<std::uint8_t, 4>> ResolveHostV4(const std::string& host);

// A lookup takes as long as the resolver pleases and nothing interrupts it;
// tests make one slow through this. nullptr restores getaddrinfo.
using NameLookup = int(WSAAPI*)(const char* name, const char* service, const addrinfo* hints, addrinfo** found);
void SetNameLookupForTesting(NameLookup lookup);

// Connects to host:port and sends opening, the first message of the
// handshake. Tries up to three times with a one-second pause between
// attempts, each with a fresh socket associated with socketEvent
// (auto-reset), which is first cleared of what earlier sockets signalled;
// those must be closed by now. On success slot holds
// the connected socket, with socketEvent signalling its read and close
// notifications from then on.
bool ConnectUpstream(WSAEVENT stop, const std::string& host, std::uint16_t port, std::string_view opening,
                     UniqueSocket& slot, WSAEVENT socketEvent);

}  // namespace relay
