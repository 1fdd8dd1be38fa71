// The relay's listener and lifecycle: port search, repeated and stopped
// starts, and Stop ending connections that are idle or busy.

#include <windows.h>

#include "gtest/gtest.h"
#include "proxy/relay/socket_proxy.h"
#include "tests/relay/relay_harness.h"
#include "tests/relay/test_sockets.h"

namespace {

// Holds a loopback port the way another program would.
class PortHolder {
public:
    explicit PortHolder(std::uint16_t port) : socket_(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        held_ = bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && listen(socket_, 1) == 0;
    }
    ~PortHolder() { closesocket(socket_); }
    bool Held() const { return held_; }

private:
    SOCKET socket_;
    bool held_ = false;
};

TEST(RelayServer, PortZeroBindsNothing) {
    CSocketProxy relay;
    std::uint16_t port = 0;
    EXPECT_FALSE(relay.Start(port));
    EXPECT_EQ(port, 0);
}

TEST(RelayServer, PortInUseMovesToNextFreePort) {
    const std::uint16_t first = UnusedPort();
    PortHolder holder(first);
    ASSERT_TRUE(holder.Held());
    CSocketProxy relay;
    std::uint16_t port = first;
    ASSERT_TRUE(relay.Start(port));
    EXPECT_GT(port, first);
    EXPECT_TRUE(TestSocket::Connect(port).Valid());
}

TEST(RelayServer, SecondStartFailsAndReportsPortInUse) {
    CSocketProxy relay;
    std::uint16_t port = UnusedPort();
    ASSERT_TRUE(relay.Start(port));
    const std::uint16_t bound = port;
    std::uint16_t again = 10000;
    EXPECT_FALSE(relay.Start(again));
    EXPECT_EQ(again, bound);
}

TEST(RelayServer, SearchEndsAtTheLastPortInsteadOfWrapping) {
    PortHolder holder(65535);  // if another program has it, the search ends just the same
    CSocketProxy relay;
    std::uint16_t port = 65535;
    EXPECT_FALSE(relay.Start(port));
    EXPECT_EQ(port, 65535);
}

TEST(RelayServer, StoppedRelayStaysStopped) {
    CSocketProxy relay;
    std::uint16_t port = UnusedPort();
    ASSERT_TRUE(relay.Start(port));
    EXPECT_TRUE(relay.Stop());
    EXPECT_FALSE(TestSocket::Connect(port).Valid());
    std::uint16_t again = port;
    EXPECT_FALSE(relay.Start(again));
    EXPECT_TRUE(relay.Stop());
}

TEST(RelayServer, NoOtherSocketCanBindTheRelaysPort) {
    CSocketProxy relay;
    std::uint16_t port = UnusedPort();
    ASSERT_TRUE(relay.Start(port));
    SOCKET intruder = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    const BOOL reuse = TRUE;
    setsockopt(intruder, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof reuse);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    EXPECT_NE(bind(intruder, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    closesocket(intruder);
}

TEST(RelayServer, StopClosesIdleAndBusyConnections) {
    auto upstream = Socks5Origin();
    TestRelay relay("socks5", upstream->Port());
    TestSocket idle = relay.Connect();
    TestSocket busy = relay.Connect();
    ASSERT_TRUE(busy.Send("GET http://127.0.0.1:81/ HTTP/1.1\r\nHost: x\r\n\r\n"));
    ASSERT_NE(busy.ReadResponse().find("#1"), std::string::npos);
    TestSocket partial = relay.Connect();
    ASSERT_TRUE(partial.Send("GET http://127.0.0.1:81/ HTTP/1.1\r\nHost: "));

    EXPECT_TRUE(relay.Proxy().Stop());
    EXPECT_TRUE(idle.ClosedWithin(5000));
    EXPECT_TRUE(busy.ClosedWithin(5000));
    EXPECT_TRUE(partial.ClosedWithin(5000));
}

TEST(RelayServer, ClientThatSendsNothingIsKeptUntilItCloses) {
    auto upstream = Socks5Origin();
    TestRelay relay("socks5", upstream->Port());
    TestSocket quiet = relay.Connect();
    EXPECT_FALSE(quiet.ClosedWithin(300));
    ASSERT_TRUE(quiet.Send("GET http://127.0.0.1:81/ HTTP/1.1\r\n\r\n"));
    EXPECT_NE(quiet.ReadResponse().find("#1"), std::string::npos);
}

TEST(RelayServer, DestroyingTheRelayWhileAWorkerRunsIsSafe) {
    auto upstream = Socks5Origin();
    TestRelay relay("socks5", upstream->Port());
    TestSocket client = relay.Connect();
    ASSERT_TRUE(client.Send("GET http://127.0.0.1:81/ HTTP/1.1\r\n\r\n"));
    ASSERT_NE(client.ReadResponse().find("#1"), std::string::npos);
    relay.Destroy();
    EXPECT_TRUE(client.ClosedWithin(5000));
}

}  // namespace
