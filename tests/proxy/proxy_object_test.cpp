// The configuration road under Wine, through ReRidu.dll's exports and the
// proxy object's table of function pointers: board and broadcasts through
// the RoVud stand-in, system values in a scratch registry, and every setting
// the library applies seen at its import of InternetSetOptionA.
#include <shlwapi.h>

#include <gtest/gtest.h>

#include "stand_ins/razed/value_stream_writer.h"
#include "tests/proxy/exported_proxy.h"
#include "tests/support/debug_output.h"
#include "tests/support/scratch_registry.h"

namespace {

constexpr wchar_t kHttpDocument[] =
    L"{'dispatch_id':'1','bypass_list':'<local>;*.test','proxies':[{'id':'1','name':'office','scheme':'HTTPS',"
    L"'host':'proxy.test','port':8080,'username':'u','password':'p'}]}";

class ProxyObjectTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(service_.ready());
        ASSERT_TRUE(service_.Create(&object_));
        ASSERT_NE(object_, nullptr);
    }
    void TearDown() override {
        if (object_ == nullptr) return;
        object_->vtbl->stop(object_);
        service_.Delete(object_);
    }

    bool Start() { return object_->vtbl->start(object_); }
    void Apply(const wchar_t* value) { object_->vtbl->apply(object_, value); }

    ExportedProxyService service_;  // a fresh library for every test
    ProxyObject* object_ = nullptr;
};

}  // namespace

// A board record of the wrong shape makes Start fail and subscribe to nothing.
TEST_F(ProxyObjectTest, StartAppliesTheBoardsInitialValueAndSubscribes) {
    EXPECT_FALSE(service_.Create(nullptr));
    service_.Delete(nullptr);
    {
        const InitialValueBoard board(kHttpDocument);
        EXPECT_EQ(service_.TakeApplied(), Applied{}) << "an object does nothing until started";
        ASSERT_TRUE(Start());
    }
    // The credentials of an HTTP or HTTPS proxy are not used.
    EXPECT_EQ(service_.TakeApplied(), Applied{"proxy 'proxy.test:8080' '<local>;*.test'"});
    EXPECT_TRUE(object_->vtbl->stop(object_));
    {
        const DebugOutput debug;
        const InitialValueBoard board(razed::ValueStreamWriter().ScopeBegin().Int(1).ScopeEnd().bytes());
        EXPECT_FALSE(Start());
        EXPECT_TRUE(debug.Contains("from TypeInt to TypeString"));
        EXPECT_EQ(BroadcastSetting(L"0"), 0u);
    }
    const InitialValueBoard empty(L"");
    EXPECT_TRUE(Start());
    EXPECT_EQ(service_.TakeApplied(), Applied{}) << "an empty setting";
    EXPECT_EQ(BroadcastSetting(L"0"), 1u);
    EXPECT_EQ(service_.TakeApplied(), Applied{kDirect});
}

TEST_F(ProxyObjectTest, OnlyABroadcastOfTheSettingAppliesAndOnlyWhileSubscribed) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(BroadcastSetting(L"0"), 1u);
    EXPECT_EQ(service_.TakeApplied(), Applied{kDirect});
    for (const wchar_t* key : {L"Browser.General.Proxy_Config_Type", L"browser.general.other", L""})
        BroadcastSetting(L"0", key);
    EXPECT_EQ(service_.TakeApplied(), Applied{}) << "keys are compared exactly";

    // The subscription is the process's: a second object's Start adds no
    // listener, and any Stop ends it for every object until a Start.
    ProxyObject* second = nullptr;
    ASSERT_TRUE(service_.Create(&second));
    EXPECT_TRUE(second->vtbl->start(second));
    EXPECT_EQ(BroadcastSetting(L"0"), 1u);
    EXPECT_TRUE(second->vtbl->stop(second));
    EXPECT_EQ(BroadcastSetting(L"0"), 0u);
    service_.Delete(second);
    EXPECT_TRUE(Start());
    EXPECT_EQ(BroadcastSetting(L"0"), 1u);

    service_.Delete(object_);
    object_ = nullptr;
    EXPECT_EQ(BroadcastSetting(L"0"), 0u) << "a notification would reach a deleted object";
}

TEST_F(ProxyObjectTest, SystemSettingsComeBackOnlyAfterDirectAccess) {
    const ScratchRegistry registry;
    ASSERT_TRUE(registry.redirected());
    const std::wstring settings = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
    const auto enable = [&](DWORD on) {
        SHSetValueW(HKEY_CURRENT_USER, settings.c_str(), L"ProxyEnable", REG_DWORD, &on, sizeof on);
    };
    enable(1);
    SetString(HKEY_CURRENT_USER, settings, L"ProxyServer", L"system.test:3128");
    SetString(HKEY_CURRENT_USER, settings, L"ProxyOverride", L"*.local;<local>");
    ASSERT_TRUE(Start());

    Apply(L"1");
    Apply(L"");
    EXPECT_EQ(service_.TakeApplied(), Applied{}) << "before any \"0\", \"1\" changes nothing";
    Apply(L"0");
    Apply(L"1");
    EXPECT_EQ(service_.TakeApplied(), (Applied{kDirect, "proxy 'system.test:3128' '*.local;<local>'"}));
    SHDeleteValueW(HKEY_CURRENT_USER, settings.c_str(), L"ProxyOverride");
    Apply(L"");
    EXPECT_EQ(service_.TakeApplied(), Applied{"proxy 'system.test:3128' null"});

    enable(0);
    Apply(L"1");
    enable(1);
    SetString(HKEY_CURRENT_USER, settings, L"ProxyServer", L"");
    Apply(L"1");
    SetString(HKEY_CURRENT_USER, settings, L"ProxyServer", std::wstring(300, L'x'));
    Apply(L"1");
    EXPECT_EQ(service_.TakeApplied(), (Applied{kDirect, kDirect, kDirect})) << "disabled, empty, and too long to read";
}

TEST_F(ProxyObjectTest, ADocumentWithoutAUsableEntryChangesNothing) {
    const DebugOutput debug;
    ASSERT_TRUE(Start());
    Apply(L"not a document");
    Apply(L"{list:[{id:'1',scheme:'ftp',host:'h',port:'21'}]}");
    EXPECT_EQ(service_.TakeApplied(), Applied{});
    EXPECT_TRUE(debug.Contains("Proxy is something wrong, the type is unknown"));
}
