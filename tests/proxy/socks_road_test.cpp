// A SOCKS setting end to end: the proxy object starts its relay, the
// process's proxy points at it, and curl reaches a real origin through it
// and a real SOCKS server (microsocks), all Linux programs on 127.0.0.1.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "tests/proxy/exported_proxy.h"
#include "tests/support/peer_process.h"
#include "tests/support/test_sockets.h"

namespace {

class SocksRoad : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        origin_ = std::make_unique<PeerProcess>(std::vector<std::string>{"serve", "origin"});
        socks5_ = std::make_unique<PeerProcess>(std::vector<std::string>{"serve", "socks5", "reridu", "s3cret"});
        originPort_ = origin_->WaitReady();
        socks5Port_ = socks5_->WaitReady();
    }
    static void TearDownTestSuite() {
        origin_.reset();
        socks5_.reset();
    }
    void SetUp() override {
        ASSERT_NE(originPort_, 0);
        ASSERT_NE(socks5Port_, 0);
        ASSERT_TRUE(service_->ready());
    }

    static std::wstring Socks5Document(const wchar_t* scheme) {
        return L"{'proxies':[{'id':'7','name':'lab','scheme':'" + std::wstring(scheme) +
               L"','host':'127.0.0.1','port':" + std::to_wstring(socks5Port_) +
               L",'username':'reridu','password':'s3cret'}]}";
    }

    // Whether curl fetches the origin's page through the proxy at `proxyList`.
    static bool Fetches(const std::string& proxyList, const std::string& originHost = "127.0.0.1") {
        const RunResult page = RunProgram("text:hello from origin",
                                          {"curl", "-sS", "--max-time", "60", "-x", "http://" + proxyList,
                                           "http://" + originHost + ":" + std::to_string(originPort_) + "/page"},
                                          120000);
        return page.exit_code == 0 && page.verdict;
    }

    // An object started with a socks5 entry on the initial-value board, and
    // the relay's port it applied, which the relay searches from 10000.
    ProxyObject* StartRelay(std::uint16_t& port) {
        const InitialValueBoard board(Socks5Document(L"socks5"));
        ProxyObject* object = nullptr;
        if (!service_->Create(&object) || !object->vtbl->start(object)) return nullptr;
        const Applied applied = service_->TakeApplied();
        if (applied.size() == 1) std::sscanf(applied[0].c_str(), "proxy '127.0.0.1:%hu'", &port);
        const std::string relay = "proxy '127.0.0.1:" + std::to_string(port) + "' ''";
        EXPECT_EQ(applied, Applied{relay}) << "nothing bypasses the relay";
        EXPECT_GE(port, 10000);
        return object;
    }

    static inline std::unique_ptr<PeerProcess> origin_, socks5_;
    static inline std::uint16_t originPort_ = 0, socks5Port_ = 0;
    // A test may unload the library early.
    std::unique_ptr<ExportedProxyService> service_ = std::make_unique<ExportedProxyService>();
};

}  // namespace

// Each SOCKS setting replaces the relay, which is gone before the next one
// looks for a port and so normally gets the same one back; socks5h leaves
// the name to the SOCKS server. Direct access and Stop leave the relay
// serving; deleting the object ends it.
TEST_F(SocksRoad, CurlReachesTheOriginThroughTheRelayOfEachSetting) {
    std::uint16_t port = 0;
    ProxyObject* object = StartRelay(port);
    ASSERT_NE(object, nullptr);
    const std::string relay = "127.0.0.1:" + std::to_string(port), applied = "proxy '" + relay + "' ''";
    EXPECT_TRUE(Fetches(relay));

    BroadcastSetting(Socks5Document(L"SOCKS5"));
    BroadcastSetting(Socks5Document(L"socks5h"));
    EXPECT_EQ(service_->TakeApplied(), (Applied{applied, applied}));
    EXPECT_TRUE(Fetches(relay, "localhost"));

    EXPECT_EQ(BroadcastSetting(L"0"), 1u);
    EXPECT_TRUE(object->vtbl->stop(object));
    EXPECT_TRUE(Fetches(relay));
    service_->Delete(object);
    EXPECT_FALSE(TestSocket::Connect(port).Valid());
}

// The browser may delete the object and free the library at once while a
// download runs: the process lives on, the download's connection is closed,
// and the library leaves the process as soon as its last thread has.
TEST_F(SocksRoad, DeletingAndUnloadingDuringADownloadIsSafe) {
    std::uint16_t port = 0;
    ProxyObject* object = StartRelay(port);
    ASSERT_NE(object, nullptr);
    TestSocket browser = TestSocket::Connect(port);
    constexpr std::size_t kDownload = 50 * 1000 * 1000;
    ASSERT_TRUE(browser.Send("GET http://127.0.0.1:" + std::to_string(originPort_) + "/bytes/" +
                             std::to_string(kDownload) + " HTTP/1.1\r\nHost: origin\r\n\r\n"));
    ASSERT_EQ(browser.Read(1 << 20, 60000).size(), 1u << 20) << "the download runs";

    EXPECT_TRUE(object->vtbl->stop(object));
    service_->Delete(object);
    service_.reset();

    EXPECT_LT(browser.ReadToClose(30000).size(), kDownload);
    EXPECT_TRUE(browser.ClosedWithin(1000)) << "the download's connection is closed";
    for (int i = 0; i < 200 && GetModuleHandleW(L"ReRidu.dll") != nullptr; ++i) Sleep(50);
    EXPECT_EQ(GetModuleHandleW(L"ReRidu.dll"), nullptr);
}
