// The relay between real programs: curl as the browser, microsocks and dante
// as SOCKS servers, and a Python HTTP/1.1 origin with and without TLS, all on
// 127.0.0.1 and started and stopped here.

#include <windows.h>
#include <psapi.h>

#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "gtest/gtest.h"
#include "tests/support/peer_process.h"
#include "tests/support/relay_harness.h"
#include "tests/support/test_sockets.h"

namespace {

constexpr DWORD kCurlTimeoutMs = 240000;

class RealPeers : public testing::Test {
protected:
    static void SetUpTestSuite() {
        origin_port_ = Start(origin_, {"serve", "origin"});
        tls_origin_port_ = Start(tls_origin_, {"serve", "origin", "tls"});
    }
    static void TearDownTestSuite() {
        origin_.reset();
        tls_origin_.reset();
    }
    void SetUp() override {
        ASSERT_NE(origin_port_, 0);
        ASSERT_NE(tls_origin_port_, 0);
    }

    // The port the peer serves on; 0 when it did not start.
    static std::uint16_t Start(std::unique_ptr<PeerProcess>& peer, const std::vector<std::string>& arguments) {
        peer = std::make_unique<PeerProcess>(arguments);
        return peer->WaitReady();
    }
    // A SOCKS server for this test alone.
    std::uint16_t Server(const std::vector<std::string>& arguments) { return Start(server_, arguments); }

    static std::string Url(const std::string& path, bool tls = false, const std::string& host = "127.0.0.1") {
        return (tls ? "https://" : "http://") + host + ":" + std::to_string(tls ? tls_origin_port_ : origin_port_) +
               path;
    }

    // curl as the browser; the test origin's certificate is self-signed.
    static RunResult Curl(const TestRelay& relay, const std::string& url, const std::string& check) {
        return RunProgram(check,
                          {"curl", "-sS", "-k", "-Z", "--parallel-max", "200", "-x",
                           "http://127.0.0.1:" + std::to_string(relay.Port()), url},
                          kCurlTimeoutMs);
    }

    static std::unique_ptr<PeerProcess> origin_;
    static std::unique_ptr<PeerProcess> tls_origin_;
    static std::uint16_t origin_port_;
    static std::uint16_t tls_origin_port_;
    std::unique_ptr<PeerProcess> server_;
};

std::unique_ptr<PeerProcess> RealPeers::origin_;
std::unique_ptr<PeerProcess> RealPeers::tls_origin_;
std::uint16_t RealPeers::origin_port_ = 0;
std::uint16_t RealPeers::tls_origin_port_ = 0;

struct Fetch {
    const char* what;
    std::vector<std::string> server;  // peer.py's arguments after "serve"
    const char* scheme;
    const char* user;
    const char* password;
    const char* host;  // of the URL, for the server to resolve
    bool tls;
    std::size_t size;
};

class EachServer : public RealPeers, public testing::WithParamInterface<Fetch> {};

// A whole body, byte for byte, through each kind of server, in the clear
// and inside a CONNECT tunnel.
TEST_P(EachServer, FetchesTheWholeBody) {
    const Fetch& f = GetParam();
    std::vector<std::string> arguments{"serve"};
    arguments.insert(arguments.end(), f.server.begin(), f.server.end());
    const std::uint16_t port = Server(arguments);
    ASSERT_NE(port, 0);
    TestRelay relay(f.scheme, port, f.user, f.password);
    const std::string size = std::to_string(f.size);
    const RunResult curl = Curl(relay, Url("/bytes/" + size, f.tls, f.host), "bytes:" + size);
    EXPECT_EQ(curl.exit_code, 0);
    EXPECT_EQ(curl.size, f.size);
    EXPECT_TRUE(curl.verdict);
}

INSTANTIATE_TEST_SUITE_P(
    Fetches, EachServer,
    testing::Values(Fetch{"socks5", {"socks5"}, "socks5", "", "", "127.0.0.1", false, 48 * 1024 * 1024 + 17},
                    Fetch{"socks5tls", {"socks5"}, "socks5", "", "", "127.0.0.1", true, 16 * 1024 * 1024 + 3},
                    Fetch{"socks5h", {"socks5"}, "socks5h", "", "", "localhost", false, 200000},
                    Fetch{"socks5user", {"socks5", "user", "pw"}, "socks5", "user", "pw", "127.0.0.1", true, 70000},
                    Fetch{"socks4", {"socks4"}, "socks4", "", "", "127.0.0.1", false, 200000},
                    Fetch{"socks4tls", {"socks4"}, "socks4", "", "", "127.0.0.1", true, 70000}),
    [](const testing::TestParamInfo<Fetch>& row) { return std::string(row.param.what); });

TEST_F(RealPeers, WrongPasswordGetsNothing) {
    const std::uint16_t port = Server({"serve", "socks5", "user", "pw"});
    ASSERT_NE(port, 0);
    TestRelay relay("socks5", port, "user", "wrong");
    const RunResult refused = Curl(relay, Url("/bytes/1000"), "-");
    EXPECT_NE(refused.exit_code, 0);
    EXPECT_EQ(refused.size, 0u);
}

TEST_F(RealPeers, TwoHundredParallelTransfers) {
    TestRelay relay("socks5", Server({"serve", "socks5"}));
    const RunResult curl = Curl(relay, Url("/bytes/20000?[1-200]"), "-");
    EXPECT_EQ(curl.exit_code, 0);
    EXPECT_EQ(curl.size, 200u * 20000u);
}

TEST_F(RealPeers, LargeUploadIsEchoedIntact) {
    TestRelay relay("socks5", Server({"serve", "socks5"}));
    std::string body(24 * 1024 * 1024, '\0');
    for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>((i * 131 + i / 977) & 0xFF);
    TestSocket browser = relay.Connect();
    ASSERT_TRUE(browser.Send("POST " + Url("/echo") + " HTTP/1.1\r\nHost: o\r\nContent-Length: " +
                             std::to_string(body.size()) + "\r\n\r\n"));
    // Sending and receiving at once: the echo starts only when the whole
    // body is in, but the relay must not hold the upload back meanwhile.
    std::thread sender([&] { browser.Send(body); });
    std::string echoed;
    browser.ReadResponse(&echoed, 120000);
    sender.join();
    EXPECT_EQ(echoed.size(), body.size());
    EXPECT_TRUE(echoed == body);
}

// Handles and private bytes of this process.
std::pair<DWORD, SIZE_T> Usage() {
    DWORD handles = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handles);
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    return {handles, counters.PrivateUsage};
}

// Connections come and go in waves; once they are gone the relay holds no
// more handles and no more memory than after the first wave.
TEST_F(RealPeers, HandlesAndMemoryReturnToTheirLevelAfterManyConnections) {
    TestRelay relay("socks5", Server({"serve", "socks5"}));
    auto wave = [&] {
        std::vector<TestSocket> browsers;
        for (int i = 0; i < 40; ++i) {
            browsers.push_back(relay.Connect());
            browsers.back().Send("GET " + Url("/bytes/3000") + " HTTP/1.1\r\nHost: o\r\n\r\n");
        }
        for (TestSocket& browser : browsers) {
            std::string body;
            browser.ReadResponse(&body);
            EXPECT_EQ(body.size(), 3000u);
        }
    };
    wave();
    Sleep(200);
    const auto [handles, bytes] = Usage();
    for (int round = 0; round < 6; ++round) wave();
    auto after = Usage();
    for (int i = 0; i < 100 && after.first > handles; ++i, after = Usage()) Sleep(50);  // workers wind down
    EXPECT_LE(after.first, handles + 2);
    EXPECT_LE(after.second, bytes + 4 * 1024 * 1024) << "base " << bytes << " after " << after.second;
}

}  // namespace
