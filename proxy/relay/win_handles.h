#pragma once
// Owners of the Winsock objects the relay creates.

#include <winsock2.h>
#include <windows.h>

#include "frame/critical_section.h"
#include "frame/unique_object.h"

namespace relay {

struct SocketTraits {
    using Value = SOCKET;
    static Value Invalid() { return INVALID_SOCKET; }
    static void Close(Value socket) { closesocket(socket); }
};

struct WsaEventTraits {
    using Value = WSAEVENT;
    static Value Invalid() { return WSA_INVALID_EVENT; }
    static void Close(Value event) { WSACloseEvent(event); }
};

using UniqueSocket = UniqueObject<SocketTraits>;
using UniqueWsaEvent = UniqueObject<WsaEventTraits>;

// One reference on the socket library, held for the owner's lifetime.
struct WinsockUseTraits {
    using Value = bool;
    static Value Invalid() { return false; }
    static void Close(Value) { WSACleanup(); }
};

using UniqueWinsockUse = UniqueObject<WinsockUseTraits>;

inline UniqueWinsockUse UseWinsock() {
    WSADATA data;
    return UniqueWinsockUse(WSAStartup(MAKEWORD(2, 2), &data) == 0);
}

// True when a manual-reset event is signalled, without waiting.
inline bool IsSignalled(HANDLE event) { return WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

}  // namespace relay
