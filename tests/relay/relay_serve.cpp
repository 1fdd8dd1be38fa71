// Runs a relay in front of an upstream proxy until standard input ends, for
// benchmarks and trying the relay by hand:
//   relay_serve SCHEME HOST PORT [USER PASSWORD]
// prints "port N" once it listens.
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "proxy/relay/socket_proxy.h"

int main(int argc, char** argv) {
    if (argc != 4 && argc != 6) {
        std::fprintf(stderr, "usage: relay_serve SCHEME HOST PORT [USER PASSWORD]\n");
        return 2;
    }
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return 1;
    int status = 1;
    {
        CSocketProxy relay;
        relay.SetUpstream("relay_serve", argv[2], argc == 6 ? argv[4] : "", argc == 6 ? argv[5] : "", argv[1],
                          std::atoi(argv[3]), 1);
        std::uint16_t port = 10000;
        if (relay.Start(port)) {
            std::printf("port %u\n", static_cast<unsigned>(port));
            std::fflush(stdout);
            char sink[256];
            DWORD got = 0;
            while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), sink, sizeof sink, &got, nullptr) && got > 0) {
            }
            status = 0;
        } else {
            std::fprintf(stderr, "relay_serve: cannot listen\n");
        }
    }
    WSACleanup();
    return status;
}
