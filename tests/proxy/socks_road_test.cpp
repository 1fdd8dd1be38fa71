// A SOCKS setting end to end: the proxy object starts its relay, the
// process's proxy points at it, and curl reaches a real origin through it
// and a real SOCKS server (microsocks), all Linux programs on 127.0.0.1.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/proxy/exported_proxy.h"
#include "tests/support/peer_process.h"
#include "tests/support/test_sockets.h"

namespace {

constexpr wchar_t kSetting[] = L"browser.general.proxy_config_type";
constexpr DWORD kCurlTimeoutMs = 120000;

class SocksRoad : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        origin_ = new PeerProcess({"serve", "origin"});
        socks5_ = new PeerProcess({"serve", "socks5", "reridu", "s3cret"});
        originPort_ = origin_->WaitReady();
        socks5Port_ = socks5_->WaitReady();
    }
    static void TearDownTestSuite() {
        delete origin_;
        delete socks5_;
    }
    void SetUp() override {
        ASSERT_NE(originPort_, 0);
        ASSERT_NE(socks5Port_, 0);
        ASSERT_TRUE(service_->ready());
    }

    static std::wstring Socks5Document(const wchar_t* scheme = L"socks5") {
        return L"{'proxies':[{'id':'7','name':'lab','scheme':'" + std::wstring(scheme) +
               L"','host':'127.0.0.1','port':" + std::to_wstring(socks5Port_) +
               L",'username':'reridu','password':'s3cret'}]}";
    }

    // The page as curl fetches it through the proxy at `proxyList`.
    static RunResult Fetch(const std::string& proxyList, const std::string& originHost = "127.0.0.1") {
        return RunProgram("text:hello from origin",
                          {"curl", "-sS", "--max-time", "60", "-x", "http://" + proxyList,
                           "http://" + originHost + ":" + std::to_string(originPort_) + "/page"},
                          kCurlTimeoutMs);
    }

    // An object started with document on the initial-value board; applied
    // receives the settings it applied.
    ProxyObject* StartFromBoard(const std::wstring& document, std::vector<AppliedProxy>& applied) {
        const InitialValueBoard board(document);
        ProxyObject* object = service_->Create();
        if (object == nullptr || !object->vtbl->start(object)) return nullptr;
        applied = service_->TakeApplied();
        return object;
    }

    // The relay's port from the setting the library applied, or 0.
    static std::uint16_t RelayPort(const AppliedProxy& applied) {
        const std::string prefix = "127.0.0.1:";
        if (!applied.proxyList || applied.proxyList->rfind(prefix, 0) != 0) return 0;
        return static_cast<std::uint16_t>(std::stoi(applied.proxyList->substr(prefix.size())));
    }

    static PeerProcess* origin_;
    static PeerProcess* socks5_;
    static std::uint16_t originPort_;
    static std::uint16_t socks5Port_;
    // A test may unload the library early.
    std::unique_ptr<ExportedProxyService> service_ = std::make_unique<ExportedProxyService>();
};

PeerProcess* SocksRoad::origin_ = nullptr;
PeerProcess* SocksRoad::socks5_ = nullptr;
std::uint16_t SocksRoad::originPort_ = 0;
std::uint16_t SocksRoad::socks5Port_ = 0;

}  // namespace

TEST_F(SocksRoad, CurlReachesTheOriginThroughTheRelayTheBoardStarted) {
    std::vector<AppliedProxy> applied;
    ProxyObject* object = StartFromBoard(Socks5Document(), applied);
    ASSERT_NE(object, nullptr);
    ASSERT_EQ(applied.size(), 1u);
    const std::uint16_t port = RelayPort(applied[0]);
    ASSERT_GE(port, 10000) << applied[0];
    EXPECT_EQ(applied[0], ProxyOf("127.0.0.1:" + std::to_string(port), "")) << "nothing bypasses the relay";

    const RunResult page = Fetch(*applied[0].proxyList);
    EXPECT_EQ(page.exit_code, 0);
    EXPECT_TRUE(page.verdict);

    // Direct access leaves the relay serving; Stop does too.
    EXPECT_EQ(BroadcastSetting(kSetting, L"0"), 1u);
    EXPECT_EQ(service_->TakeApplied(), std::vector<AppliedProxy>{Direct()});
    EXPECT_TRUE(object->vtbl->stop(object));
    EXPECT_TRUE(Fetch(*applied[0].proxyList).verdict);

    // Deleting the object ends the relay.
    service_->Delete(object);
    EXPECT_FALSE(TestSocket::Connect(port).Valid());
}

TEST_F(SocksRoad, EachSocksSettingReplacesTheRelayWhichSearchesFromTheFirstPortAgain) {
    ProxyObject* object = service_->Create();
    ASSERT_NE(object, nullptr);
    ASSERT_TRUE(object->vtbl->start(object));

    BroadcastSetting(kSetting, Socks5Document());
    BroadcastSetting(kSetting, Socks5Document(L"SOCKS5"));
    const std::vector<AppliedProxy> applied = service_->TakeApplied();
    ASSERT_EQ(applied.size(), 2u);
    // The first relay is gone before the second looks for a port, so the
    // second normally gets the same one back.
    EXPECT_EQ(applied[1], applied[0]);
    const RunResult page = Fetch(*applied[1].proxyList);
    EXPECT_EQ(page.exit_code, 0);
    EXPECT_TRUE(page.verdict);

    EXPECT_TRUE(object->vtbl->stop(object));
    service_->Delete(object);
    EXPECT_FALSE(TestSocket::Connect(RelayPort(applied[1])).Valid());
}

// A socks5h entry runs the relay too, and the SOCKS server resolves the name.
TEST_F(SocksRoad, Socks5hLeavesTheNameToTheSocksServer) {
    std::vector<AppliedProxy> applied;
    ProxyObject* object = StartFromBoard(Socks5Document(L"socks5h"), applied);
    ASSERT_NE(object, nullptr);
    ASSERT_EQ(applied.size(), 1u);
    ASSERT_GE(RelayPort(applied[0]), 10000) << applied[0];
    const RunResult page = Fetch(*applied[0].proxyList, "localhost");
    EXPECT_EQ(page.exit_code, 0);
    EXPECT_TRUE(page.verdict);
    EXPECT_TRUE(object->vtbl->stop(object));
    service_->Delete(object);
}

// The browser may delete the object and free the library at once while a
// download runs: the process lives on, the download's connection is closed,
// and the library leaves the process as soon as its last thread has.
TEST_F(SocksRoad, DeletingAndUnloadingDuringADownloadIsSafe) {
    std::vector<AppliedProxy> applied;
    ProxyObject* object = StartFromBoard(Socks5Document(), applied);
    ASSERT_NE(object, nullptr);
    ASSERT_EQ(applied.size(), 1u);
    TestSocket browser = TestSocket::Connect(RelayPort(applied[0]));
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
