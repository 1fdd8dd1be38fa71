// A blocking TCP forwarder with a thread per direction, nothing parsed,
// nothing waited for but recv. The relay benchmark puts it between curl and
// the SOCKS server to show what one more Wine process in the path costs
// before any relaying work is done.
//   wine_forwarder PORT    forwards each connection to 127.0.0.1:PORT;
//                          prints "port N" once it listens.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

#include "proxy/relay/win_handles.h"

namespace {

struct Connection {
    relay::UniqueSocket browser;
    relay::UniqueSocket upstream;
};

sockaddr_in Loopback(unsigned short port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

void Pump(SOCKET from, SOCKET to) {
    char buffer[64 * 1024];
    for (;;) {
        const int got = recv(from, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        for (int sent = 0; sent < got;) {
            const int now = send(to, buffer + sent, got - sent, 0);
            if (now <= 0) return;
            sent += now;
        }
    }
    shutdown(to, SD_SEND);
}

void NoDelay(SOCKET socket) {
    const BOOL on = TRUE;
    setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: wine_forwarder PORT\n");
        return 2;
    }
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return 1;
    const auto target = Loopback(static_cast<unsigned short>(std::atoi(argv[1])));
    relay::UniqueSocket listener(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    sockaddr_in address = Loopback(0);
    int length = sizeof address;
    if (bind(listener.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener.get(), SOMAXCONN) != 0 ||
        getsockname(listener.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        std::fprintf(stderr, "wine_forwarder: cannot listen\n");
        return 1;
    }
    std::printf("port %u\n", static_cast<unsigned>(ntohs(address.sin_port)));
    std::fflush(stdout);
    for (;;) {
        auto connection = std::make_shared<Connection>();
        connection->browser.reset(accept(listener.get(), nullptr, nullptr));
        if (!connection->browser) break;
        connection->upstream.reset(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
        if (connect(connection->upstream.get(), reinterpret_cast<const sockaddr*>(&target), sizeof target) != 0)
            continue;
        NoDelay(connection->browser.get());
        NoDelay(connection->upstream.get());
        std::thread([connection] { Pump(connection->browser.get(), connection->upstream.get()); }).detach();
        std::thread([connection] { Pump(connection->upstream.get(), connection->browser.get()); }).detach();
    }
    WSACleanup();
    return 0;
}
