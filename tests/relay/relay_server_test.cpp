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

// Whether the socket listening on port, found among this process's handles,
// keeps its port to itself. Wine lets no second socket bind a listening
// socket's port in any case, so only the option itself can be seen.
bool ListensExclusively(std::uint16_t port) {
    for (UINT_PTR handle = 4; handle < 0x10000; handle += 4) {
        const SOCKET candidate = static_cast<SOCKET>(handle);
        sockaddr_in address{};
        int size = sizeof address;
        BOOL flag = FALSE;
        int flagSize = sizeof flag;
        if (getsockname(candidate, reinterpret_cast<sockaddr*>(&address), &size) != 0 ||
            ntohs(address.sin_port) != port ||
            getsockopt(candidate, SOL_SOCKET, SO_ACCEPTCONN, reinterpret_cast<char*>(&flag), &flagSize) != 0 || !flag)
            continue;
        return getsockopt(candidate, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<char*>(&flag), &flagSize) == 0 &&
               flag;
    }
    return false;
}

// Start answers the port it listens on, searching upwards from the one asked
// for, and never wraps past the last port or takes port 0 for any port.
TEST(RelayServer, PortSearch) {
    CSocketProxy zero;
    std::uint16_t port = 0;
    EXPECT_FALSE(zero.Start(port));
    EXPECT_EQ(port, 0);

    const ScriptedPeer holder([](ScriptedPeer&, TestSocket&) {});
    CSocketProxy next;
    port = holder.Port();
    ASSERT_TRUE(next.Start(port));
    EXPECT_GT(port, holder.Port());
    EXPECT_TRUE(TestSocket::Connect(port).Valid());
    EXPECT_TRUE(ListensExclusively(port)) << "another program could take the browser's connections";

    CSocketProxy last;
    CSocketProxy beyond;
    std::uint16_t lastPort = 65535;
    port = 65535;
    (void)last.Start(lastPort);  // holds the last port, unless another program does
    EXPECT_FALSE(beyond.Start(port));
    EXPECT_EQ(port, 65535);
}

TEST(RelayServer, StartsOnceAndStaysStopped) {
    CSocketProxy relay;
    std::uint16_t port = UnusedPort();
    ASSERT_TRUE(relay.Start(port));
    std::uint16_t again = 10000;
    EXPECT_FALSE(relay.Start(again));
    EXPECT_EQ(again, port) << "a second start reports the port in use";
    EXPECT_TRUE(relay.Stop());
    EXPECT_FALSE(TestSocket::Connect(port).Valid());
    again = port;
    EXPECT_FALSE(relay.Start(again));
    EXPECT_TRUE(relay.Stop());
}

TEST(RelayServer, StopClosesIdleBusyAndPartialConnections) {
    auto upstream = Socks5Origin();
    TestRelay relay("socks5", upstream->Port());
    TestSocket idle = relay.Connect();
    TestSocket busy = relay.Connect();
    ASSERT_TRUE(busy.Send("GET http://127.0.0.1:81/ HTTP/1.1\r\nHost: x\r\n\r\n"));
    ASSERT_NE(busy.ReadResponse().find("#1"), std::string::npos);
    TestSocket partial = relay.Connect();
    ASSERT_TRUE(partial.Send("GET http://127.0.0.1:81/ HTTP/1.1\r\nHost: "));
    EXPECT_FALSE(idle.ClosedWithin(300)) << "a quiet browser is kept until it closes";

    EXPECT_TRUE(relay.Proxy().Stop());
    EXPECT_TRUE(idle.ClosedWithin(5000));
    EXPECT_TRUE(busy.ClosedWithin(5000));
    EXPECT_TRUE(partial.ClosedWithin(5000));
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
    EXPECT_TRUE(relay.Connect().ClosedWithin(3000));

    g_noThreads = false;
    holding.push_back(relay.Connect());
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
    EXPECT_EQ(ResponseBody(relay, "GET http://127.0.0.1:81/ HTTP/1.1\r\n\r\n"), "#1");
}

}  // namespace
