// The configuration road under Wine, through ReRidu.dll's exports and the
// proxy object's table of function pointers: board and broadcasts through
// the RoVud stand-in, system values in Wine's registry, and every setting
// the library applies seen at its import of InternetSetOptionA.
#include <winsock2.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "stand_ins/razed/value_stream_writer.h"
#include "tests/proxy/exported_proxy.h"
#include "tests/proxy/platform_fixtures.h"

namespace {

constexpr wchar_t kSetting[] = L"browser.general.proxy_config_type";
constexpr wchar_t kHttpDocument[] =
    L"{'dispatch_id':'1','bypass_list':'<local>;*.test','proxies':[{'id':'1','name':'office','scheme':'HTTPS',"
    L"'host':'proxy.test','port':8080,'username':'u','password':'p'}]}";

using Applied = std::vector<AppliedProxy>;

class ProxyObjectTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(service_.ready()); }

    // Creates, starts, and on teardown stops and deletes one object.
    ProxyObject* Started() {
        object_ = service_.Create();
        EXPECT_NE(object_, nullptr);
        EXPECT_TRUE(object_->vtbl->start(object_));
        return object_;
    }

    void TearDown() override {
        if (object_ == nullptr) return;
        object_->vtbl->stop(object_);
        service_.Delete(object_);
    }

    void Apply(const wchar_t* value) { object_->vtbl->apply(object_, value); }

    ExportedProxyService service_;  // a fresh library for every test
    ProxyObject* object_ = nullptr;
};

}  // namespace

TEST_F(ProxyObjectTest, CreateAndDeleteFollowTheExportedContract) {
    EXPECT_FALSE(service_.Create(nullptr));
    ProxyObject* object = service_.Create();
    ASSERT_NE(object, nullptr);
    service_.Delete(object);
    service_.Delete(nullptr);
    EXPECT_EQ(service_.TakeApplied(), Applied{}) << "an object does nothing until started";
}

TEST_F(ProxyObjectTest, StartAppliesTheBoardsInitialValue) {
    const InitialValueBoard board(kHttpDocument);
    Started();
    // The credentials of an HTTP or HTTPS proxy are not used.
    EXPECT_EQ(service_.TakeApplied(), Applied{ProxyOf("proxy.test:8080", "<local>;*.test")});
}

TEST_F(ProxyObjectTest, StartWithAnEmptyOrMissingBoardAppliesNothingButStillSubscribes) {
    {
        const InitialValueBoard empty(L"");
        Started();
        EXPECT_EQ(service_.TakeApplied(), Applied{});
        EXPECT_EQ(BroadcastSetting(kSetting, L"0"), 1u);
        EXPECT_EQ(service_.TakeApplied(), Applied{Direct()});
    }
    EXPECT_TRUE(object_->vtbl->stop(object_));
    EXPECT_TRUE(object_->vtbl->start(object_)) << "no board at all";
    EXPECT_EQ(service_.TakeApplied(), Applied{});
}

TEST_F(ProxyObjectTest, StartRefusesABoardRecordOfTheWrongShapeAndSubscribesToNothing) {
    const DebugOutput debug;
    const InitialValueBoard board(razed::ValueStreamWriter().ScopeBegin().Int(1).ScopeEnd().bytes());
    ProxyObject* object = service_.Create();
    ASSERT_NE(object, nullptr);
    EXPECT_FALSE(object->vtbl->start(object));
    EXPECT_TRUE(debug.Contains("from TypeInt to TypeString"));
    EXPECT_EQ(BroadcastSetting(kSetting, L"0"), 0u);
    EXPECT_TRUE(object->vtbl->stop(object));
    service_.Delete(object);
}

TEST_F(ProxyObjectTest, ABroadcastOfTheSettingAppliesItsValueAndNothingElseDoes) {
    Started();
    EXPECT_EQ(BroadcastSetting(kSetting, L"0"), 1u);
    EXPECT_EQ(service_.TakeApplied(), Applied{Direct()});

    BroadcastSetting(L"Browser.General.Proxy_Config_Type", L"0");
    BroadcastSetting(L"browser.general.other", L"0");
    BroadcastSetting(L"", L"0");
    EXPECT_EQ(service_.TakeApplied(), Applied{}) << "keys are compared exactly";

    BroadcastSetting(kSetting, kHttpDocument);
    EXPECT_EQ(service_.TakeApplied(), Applied{ProxyOf("proxy.test:8080", "<local>;*.test")});

    EXPECT_TRUE(object_->vtbl->stop(object_));
    EXPECT_EQ(BroadcastSetting(kSetting, L"0"), 0u) << "Stop ends the subscription";
    EXPECT_TRUE(object_->vtbl->start(object_));
    EXPECT_EQ(BroadcastSetting(kSetting, L"0"), 1u) << "and Start makes it again";
}

TEST_F(ProxyObjectTest, TheSubscriptionIsTheProcesssAndStaysWithTheFirstObject) {
    Started();
    ProxyObject* second = service_.Create();
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(second->vtbl->start(second));
    EXPECT_EQ(BroadcastSetting(kSetting, L"0"), 1u) << "one listener for the process";
    EXPECT_TRUE(second->vtbl->stop(second));
    EXPECT_EQ(BroadcastSetting(kSetting, L"0"), 0u) << "any Stop ends it for every object";
    service_.Delete(second);
}

TEST_F(ProxyObjectTest, DeletingTheSubscribedObjectEndsItsSubscription) {
    ProxyObject* object = service_.Create();
    ASSERT_NE(object, nullptr);
    ASSERT_TRUE(object->vtbl->start(object));
    service_.Delete(object);
    EXPECT_EQ(BroadcastSetting(kSetting, L"0"), 0u) << "a notification would reach a deleted object";
}

TEST_F(ProxyObjectTest, SystemSettingsComeBackOnlyAfterDirectAccess) {
    ScratchCurrentUser registry;
    ASSERT_TRUE(registry.ready());
    registry.SetInternetNumber(L"ProxyEnable", 1);
    registry.SetInternetText(L"ProxyServer", L"system.test:3128");
    registry.SetInternetText(L"ProxyOverride", L"*.local;<local>");
    Started();

    Apply(L"1");
    Apply(L"");
    EXPECT_EQ(service_.TakeApplied(), Applied{}) << "before any \"0\", \"1\" changes nothing";

    Apply(L"0");
    Apply(L"1");
    EXPECT_EQ(service_.TakeApplied(), (Applied{Direct(), ProxyOf("system.test:3128", "*.local;<local>")}));

    registry.DeleteInternetValue(L"ProxyOverride");
    Apply(L"");
    EXPECT_EQ(service_.TakeApplied(), Applied{ProxyOf("system.test:3128", std::nullopt)});

    registry.SetInternetNumber(L"ProxyEnable", 0);
    Apply(L"1");
    registry.SetInternetNumber(L"ProxyEnable", 1);
    registry.SetInternetText(L"ProxyServer", L"");
    Apply(L"1");
    registry.SetInternetText(L"ProxyServer", std::wstring(300, L'x'));
    Apply(L"1");
    EXPECT_EQ(service_.TakeApplied(), (Applied{Direct(), Direct(), Direct()}))
        << "disabled, empty, and too long to read";
}

TEST_F(ProxyObjectTest, ADocumentUsesItsFirstEntryWithAnIdAndAHost) {
    Started();
    Apply(L"{list:[{id:'1',scheme:'http',port:'1'},{id:'2',scheme:'http',host:'second.test',port:'2'}]}");
    EXPECT_EQ(service_.TakeApplied(), Applied{ProxyOf("second.test:2", "")});

    Apply(L"{list:[{id:'',scheme:'http',host:'h',port:'1'}]}");
    Apply(L"{list:[{id:'1',scheme:'',host:'h',port:'1'}]}");
    Apply(L"not a document");
    EXPECT_EQ(service_.TakeApplied(), Applied{}) << "no usable entry changes nothing";
}

TEST_F(ProxyObjectTest, AnUnknownSchemeIsTracedAndChangesNothing) {
    const DebugOutput debug;
    Started();
    Apply(L"{list:[{id:'1',scheme:'ftp',host:'h',port:'21'}]}");
    EXPECT_EQ(service_.TakeApplied(), Applied{});
    EXPECT_TRUE(debug.Contains("Proxy is something wrong, the type is unknown"));
}
