// The relay's listener and lifecycle: port search, repeated and stopped
// starts, Stop ending connections that are idle or busy without waiting for
// them, and what becomes of connections when threads or memory run out.

#include <windows.h>

#include <atomic>
#include <vector>

#include "frame/library_thread.h"
#include "gtest/gtest.h"
#include "proxy/relay/relay_shared.h"
#include "proxy/relay/socket_proxy.h"
#include "proxy/relay/upstream_connect.h"
#include "tests/relay/allocation_failure.h"
#include "tests/support/relay_harness.h"
#include "tests/support/test_sockets.h"

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

// The lookup of any name takes three seconds, then finds the loopback.
int WSAAPI SlowLookup(const char*, const char* service, const addrinfo* hints, addrinfo** found) {
    Sleep(3000);
    return getaddrinfo("127.0.0.1", service, hints, found);
}

TEST(RelayServer, StopReturnsAtOnceWhileAWorkerIsInANameLookup) {
    auto upstream = Socks5Origin();
    relay::SetNameLookupForTesting(SlowLookup);
    TestRelay relay("socks5", upstream->Port());
    TestSocket browser = relay.Connect();
    ASSERT_TRUE(browser.Send("GET http://slow.test/ HTTP/1.1\r\n\r\n"));
    Sleep(300);
    const DWORD before = GetTickCount();
    relay.Destroy();
    EXPECT_LT(GetTickCount() - before, 1000u);
    // The worker ends once the lookup lets it go, closing the connection.
    EXPECT_TRUE(browser.ClosedWithin(10000));
    relay::SetNameLookupForTesting(nullptr);
}

std::atomic<bool> g_noThreads{false};

HANDLE WINAPI CreateThreadUnlessOut(LPSECURITY_ATTRIBUTES security, SIZE_T stack, LPTHREAD_START_ROUTINE routine,
                                    LPVOID argument, DWORD flags, LPDWORD id) {
    if (g_noThreads.load()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return CreateThread(security, stack, routine, argument, flags, id);
}

// With every worker busy and no thread to be had, a new connection is
// refused at once instead of waiting unseen in the listen backlog; serving
// resumes as soon as threads can be had again.
TEST(RelayServer, OutOfThreadsNewConnectionsAreRefusedUntilThreadsAreFree) {
    auto upstream = Socks5Origin();
    SetThreadCreatorForTesting(CreateThreadUnlessOut);
    TestRelay relay("socks5", upstream->Port());
    g_noThreads = true;
    std::vector<TestSocket> holding;
    for (int i = 0; i < relay::RelayShared::kSpareWorkers; ++i) {
        holding.push_back(relay.Connect());
        EXPECT_FALSE(holding.back().ClosedWithin(200)) << "a waiting worker took it";
    }
    TestSocket refused = relay.Connect();
    EXPECT_TRUE(refused.ClosedWithin(3000));

    g_noThreads = false;
    TestSocket later = relay.Connect();
    ASSERT_TRUE(later.Send("GET http://127.0.0.1:81/ HTTP/1.1\r\n\r\n"));
    EXPECT_NE(later.ReadResponse().find("#1"), std::string::npos);
    for (TestSocket& held : holding) {
        ASSERT_TRUE(held.Send("GET http://127.0.0.1:81/ HTTP/1.1\r\n\r\n"));
        EXPECT_NE(held.ReadResponse().find("#1"), std::string::npos);
    }
    SetThreadCreatorForTesting(nullptr);
}

// Running out of memory while a request is buffered ends that connection
// only; the relay serves the next one.
TEST(RelayServer, AllocationFailureEndsOnlyItsConnection) {
    auto upstream = Socks5Origin();
    TestRelay relay("socks5", upstream->Port());
    TestSocket browser = relay.Connect();
    const std::string longHeaders = "GET http://127.0.0.1:81/ HTTP/1.1\r\nX-Long: " + std::string(200000, 'h');
    {
        const FailLargeAllocations failing(64 * 1024);
        const int before = FailLargeAllocations::Failures();
        ASSERT_TRUE(browser.Send(longHeaders));
        EXPECT_TRUE(browser.ClosedWithin(5000));
        EXPECT_GT(FailLargeAllocations::Failures(), before);
    }
    TestSocket next = relay.Connect();
    ASSERT_TRUE(next.Send("GET http://127.0.0.1:81/ HTTP/1.1\r\n\r\n"));
    EXPECT_NE(next.ReadResponse().find("#1"), std::string::npos);
}

}  // namespace
