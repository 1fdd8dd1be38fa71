// The relay between real programs: curl as the browser, microsocks and dante
// as SOCKS servers, and a Python HTTP/1.1 origin with and without TLS, all on
// 127.0.0.1 and started and stopped here.

#include <windows.h>
#include <psapi.h>

#include <string>
#include <thread>
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
        origin_ = new PeerProcess({"serve", "origin"});
        tls_origin_ = new PeerProcess({"serve", "origin", "tls"});
        socks5_ = new PeerProcess({"serve", "socks5"});
        origin_port_ = origin_->WaitReady();
        tls_origin_port_ = tls_origin_->WaitReady();
        socks5_port_ = socks5_->WaitReady();
    }
    static void TearDownTestSuite() {
        delete origin_;
        delete tls_origin_;
        delete socks5_;
    }
    void SetUp() override {
        ASSERT_NE(origin_port_, 0);
        ASSERT_NE(tls_origin_port_, 0);
        ASSERT_NE(socks5_port_, 0);
    }

    static std::string Url(const std::string& path, std::uint16_t port = 0, const char* scheme = "http") {
        return std::string(scheme) + "://127.0.0.1:" + std::to_string(port ? port : origin_port_) + path;
    }
    static std::string Proxy(const TestRelay& relay) { return "http://127.0.0.1:" + std::to_string(relay.Port()); }

    static PeerProcess* origin_;
    static PeerProcess* tls_origin_;
    static PeerProcess* socks5_;
    static std::uint16_t origin_port_;
    static std::uint16_t tls_origin_port_;
    static std::uint16_t socks5_port_;
};

PeerProcess* RealPeers::origin_ = nullptr;
PeerProcess* RealPeers::tls_origin_ = nullptr;
PeerProcess* RealPeers::socks5_ = nullptr;
std::uint16_t RealPeers::origin_port_ = 0;
std::uint16_t RealPeers::tls_origin_port_ = 0;
std::uint16_t RealPeers::socks5_port_ = 0;

// curl as the browser, through relay; certificates of the test origin are
// self-signed.
RunResult Curl(const TestRelay& relay, const std::string& url, const std::string& check) {
    return RunProgram(check, {"curl", "-sS", "-k", "-x", "http://127.0.0.1:" + std::to_string(relay.Port()), url},
                      kCurlTimeoutMs);
}

std::string Header(const std::string& head, const std::string& name) {
    const std::size_t at = head.find(name + ": ");
    if (at == std::string::npos) return "";
    return head.substr(at + name.size() + 2, head.find("\r\n", at) - at - name.size() - 2);
}

TEST_F(RealPeers, CurlFetchesThroughMicrosocks) {
    TestRelay relay("socks5", socks5_port_);
    const RunResult curl = Curl(relay, Url("/bytes/200000"), "bytes:200000");
    EXPECT_EQ(curl.exit_code, 0);
    EXPECT_EQ(curl.size, 200000u);
    EXPECT_TRUE(curl.verdict);
}

TEST_F(RealPeers, CurlTlsThroughAConnectTunnel) {
    TestRelay relay("socks5", socks5_port_);
    const RunResult curl = Curl(relay, Url("/bytes/70000", tls_origin_port_, "https"), "bytes:70000");
    EXPECT_EQ(curl.exit_code, 0);
    EXPECT_TRUE(curl.verdict);
}

TEST_F(RealPeers, LargeDownloadArrivesIntact) {
    TestRelay relay("socks5", socks5_port_);
    const std::string size = std::to_string(48 * 1024 * 1024 + 17);
    const RunResult curl = Curl(relay, Url("/bytes/" + size), "bytes:" + size);
    EXPECT_EQ(curl.exit_code, 0);
    EXPECT_EQ(std::to_string(curl.size), size);
    EXPECT_TRUE(curl.verdict);
}

TEST_F(RealPeers, LargeTlsDownloadArrivesIntact) {
    TestRelay relay("socks5", socks5_port_);
    const std::string size = std::to_string(16 * 1024 * 1024 + 3);
    const RunResult curl = Curl(relay, Url("/bytes/" + size, tls_origin_port_, "https"), "bytes:" + size);
    EXPECT_EQ(curl.exit_code, 0);
    EXPECT_TRUE(curl.verdict);
}

TEST_F(RealPeers, LargeUploadIsEchoedIntact) {
    TestRelay relay("socks5", socks5_port_);
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

TEST_F(RealPeers, KeepAliveReusesTheUpstreamConnectionPerTarget) {
    TestRelay relay("socks5", socks5_port_);
    TestSocket browser = relay.Connect();
    std::vector<std::string> peers;
    for (const std::string host : {"127.0.0.1", "127.0.0.1", "localhost", "localhost"}) {
        ASSERT_TRUE(browser.Send("GET http://" + host + ":" + std::to_string(origin_port_) +
                                 "/ HTTP/1.1\r\nHost: o\r\n\r\n"));
        const std::string head = browser.ReadResponse();
        peers.push_back(Header(head, "X-Peer-Port"));
        ASSERT_FALSE(peers.back().empty()) << head;
    }
    EXPECT_EQ(peers[0], peers[1]);
    EXPECT_NE(peers[1], peers[2]);
    EXPECT_EQ(peers[2], peers[3]);
}

// As `nc -N` or an HTTP/1.0 script would: the request, then the end of
// sending; the whole body still arrives. Through dante, which carries a
// half-close on (microsocks ends both directions at the first close).
TEST_F(RealPeers, HalfClosingClientGetsTheWholeDownload) {
    PeerProcess dante({"serve", "socks4"});
    const std::uint16_t port = dante.WaitReady();
    ASSERT_NE(port, 0);
    TestRelay relay("socks4", port);
    TestSocket browser = relay.Connect();
    ASSERT_TRUE(browser.Send("GET " + Url("/bytes/1048576") + " HTTP/1.0\r\n\r\n"));
    shutdown(browser.Get(), SD_SEND);
    const std::string response = browser.ReadToClose(60000);
    const std::size_t head = response.find("\r\n\r\n");
    ASSERT_NE(head, std::string::npos);
    EXPECT_EQ(response.compare(8, 5, " 200 "), 0) << response.substr(0, head);
    EXPECT_EQ(response.size() - head - 4, 1048576u);
}

TEST_F(RealPeers, MicrosocksWithUserAndPassword) {
    PeerProcess guarded({"serve", "socks5", "relayuser", "relaypass"});
    const std::uint16_t port = guarded.WaitReady();
    ASSERT_NE(port, 0);
    TestRelay good("socks5", port, "relayuser", "relaypass");
    const RunResult ok = Curl(good, Url("/bytes/1000"), "bytes:1000");
    EXPECT_EQ(ok.exit_code, 0);
    EXPECT_TRUE(ok.verdict);
    TestRelay bad("socks5", port, "relayuser", "wrong");
    const RunResult refused = Curl(bad, Url("/bytes/1000"), "-");
    EXPECT_NE(refused.exit_code, 0);
    EXPECT_EQ(refused.size, 0u);
}

TEST_F(RealPeers, DanteServesSocks4) {
    PeerProcess dante({"serve", "socks4"});
    const std::uint16_t port = dante.WaitReady();
    ASSERT_NE(port, 0);
    TestRelay relay("socks4", port);
    const RunResult curl = Curl(relay, Url("/bytes/5000"), "bytes:5000");
    EXPECT_EQ(curl.exit_code, 0);
    EXPECT_TRUE(curl.verdict);
    const RunResult tls = Curl(relay, Url("/bytes/5000", tls_origin_port_, "https"), "bytes:5000");
    EXPECT_EQ(tls.exit_code, 0);
    EXPECT_TRUE(tls.verdict);
}

TEST_F(RealPeers, TwoHundredParallelTransfers) {
    TestRelay relay("socks5", socks5_port_);
    const RunResult curl =
        RunProgram("-", {"curl", "-sS", "--fail", "-Z", "--parallel-max", "200", "-x", Proxy(relay),
                         Url("/bytes/20000?[1-200]")},
                   kCurlTimeoutMs);
    EXPECT_EQ(curl.exit_code, 0);
    EXPECT_EQ(curl.size, 200u * 20000u);
}

struct Usage {
    DWORD handles = 0;
    SIZE_T private_bytes = 0;
};

Usage Measure() {
    Usage usage;
    GetProcessHandleCount(GetCurrentProcess(), &usage.handles);
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    usage.private_bytes = counters.PrivateUsage;
    return usage;
}

// Connections come and go in waves; once they are gone the relay holds no
// more handles and no more memory than after the first wave.
TEST_F(RealPeers, HandlesAndMemoryReturnToTheirLevelAfterManyConnections) {
    TestRelay relay("socks5", socks5_port_);
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
    auto settle = [](const Usage& limit) {
        Usage now = Measure();
        for (int i = 0; i < 100 && now.handles > limit.handles; ++i, now = Measure()) Sleep(50);
        return now;
    };
    wave();
    const Usage start = settle(Usage{Measure().handles, 0});
    Sleep(200);
    const Usage base = Measure();
    for (int round = 0; round < 6; ++round) wave();
    const Usage after = settle(base);
    EXPECT_LE(after.handles, base.handles + 2) << "start " << start.handles;
    EXPECT_LE(after.private_bytes, base.private_bytes + 4 * 1024 * 1024)
        << "base " << base.private_bytes << " after " << after.private_bytes;
}

}  // namespace
