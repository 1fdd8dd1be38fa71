#include <gtest/gtest.h>

#include <string>

#include "proxy/proxy_document.h"
#include "ult/json/character_table.h"

namespace proxy {

namespace {

class ProxyDocument : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ult::json::build_character_table(); }

    const ProxyConfig& Read(const std::wstring& document) {
        reader_ = std::make_unique<CProxyObject_CB>();
        ult::json::parse_object(document.data(), document.size(), reader_.get());
        return reader_->config();
    }

private:
    std::unique_ptr<CProxyObject_CB> reader_;
};

}  // namespace

TEST_F(ProxyDocument, FillsTheConfigurationAndOneEntryPerObjectOfTheList) {
    const ProxyConfig& config = Read(
        L"{'dispatch_id':'d','default_id':'2','bypass_list':'<local>;*.test','bypass_local':true,"
        L"'proxies':[{'id':'1','name':'first','scheme':'SOCKS5','host':'10.0.0.1','port':1080,"
        L"'username':'u','password':'p'},{'id':2,'host':'h2','port':'3128','scheme':'http'}]}");
    EXPECT_EQ(config.dispatch_id, L"d");
    EXPECT_EQ(config.default_id, L"2");
    EXPECT_EQ(config.bypass_list, L"<local>;*.test");
    EXPECT_EQ(config.bypass_local, L"true") << "every value is taken as text";
    ASSERT_EQ(config.entries.size(), 2u);
    const ProxyEntry& first = config.entries[0];
    EXPECT_EQ(first.id, L"1");
    EXPECT_EQ(first.name, L"first");
    EXPECT_EQ(first.scheme, L"SOCKS5");
    EXPECT_EQ(first.host, L"10.0.0.1");
    EXPECT_EQ(first.port, L"1080");
    EXPECT_EQ(first.username, L"u");
    EXPECT_EQ(first.password, L"p");
    EXPECT_EQ(config.entries[1].id, L"2");
    EXPECT_EQ(config.entries[1].port, L"3128");
    EXPECT_EQ(config.current, &config.entries[1]);
}

TEST_F(ProxyDocument, MatchesKeysWithoutRegardToCaseAtEitherLevel) {
    const ProxyConfig& config =
        Read(L"{BYPASS_LIST:'top',list:[{ID:'1',Host:'h',PORT:'80',bypass_list:'inside',port:'81'}]}");
    ASSERT_EQ(config.entries.size(), 1u);
    EXPECT_EQ(config.entries[0].id, L"1");
    EXPECT_EQ(config.entries[0].host, L"h");
    EXPECT_EQ(config.entries[0].port, L"81") << "a later member overwrites an earlier one";
    EXPECT_EQ(config.bypass_list, L"inside") << "a configuration key inside an entry sets the configuration";
}

TEST_F(ProxyDocument, IgnoresEntryKeysBeforeTheFirstEntryAndEverythingThatIsNotAnEntry) {
    const ProxyConfig& config = Read(
        L"{host:'early',id:'0',nested:{id:'9',host:'x'},list:[1,'two',[{id:'3',host:'deep'}],{id:'4',host:'h'}]}");
    ASSERT_EQ(config.entries.size(), 1u);
    EXPECT_EQ(config.entries[0].id, L"4");
    EXPECT_EQ(config.entries[0].host, L"h");
}

TEST_F(ProxyDocument, AppendsTheObjectsOfEveryArrayInDocumentOrder) {
    const ProxyConfig& config = Read(L"{a:[{id:'1'}],b:'x',c:[{id:'2'},{id:'3'}]}");
    ASSERT_EQ(config.entries.size(), 3u);
    EXPECT_EQ(config.entries[0].id, L"1");
    EXPECT_EQ(config.entries[2].id, L"3");
}

TEST_F(ProxyDocument, ChoosesTheFirstEntryWithBothAnIdAndAHost) {
    EXPECT_EQ(ChooseEntry(Read(L"{l:[{id:'1',host:''},{id:'',host:'h'},{host:'h'}]}")), nullptr);
    const ProxyEntry* chosen = ChooseEntry(Read(L"{l:[{id:'1',port:'80'},{id:'2',host:'h2'},{id:'3',host:'h3'}]}"));
    ASSERT_NE(chosen, nullptr);
    EXPECT_EQ(chosen->id, L"2");
    EXPECT_EQ(ChooseEntry(Read(L"not a document")), nullptr);
}

TEST(ProxyScheme, TellsDirectSchemesFromRelayedOnesInAnyCase) {
    for (const wchar_t* scheme : {L"http", L"HTTPS", L"Http"}) EXPECT_EQ(KindOfScheme(scheme), ProxyKind::Http);
    for (const wchar_t* scheme : {L"socks4", L"SOCKS4A", L"Socks5", L"socks5H"})
        EXPECT_EQ(KindOfScheme(scheme), ProxyKind::Socks);
    for (const wchar_t* scheme : {L"ftp", L"", L"socks", L"socks5 ", L"https:"})
        EXPECT_EQ(KindOfScheme(scheme), ProxyKind::Unknown);
}

TEST(AtoiRules, ReadsLikeAtoiAndSaturatesInsteadOfOverflowing) {
    EXPECT_EQ(AtoiRules("1080"), 1080);
    EXPECT_EQ(AtoiRules("  \t+42xyz"), 42);
    EXPECT_EQ(AtoiRules("-17"), -17);
    EXPECT_EQ(AtoiRules("x1"), 0);
    EXPECT_EQ(AtoiRules(""), 0);
    EXPECT_EQ(AtoiRules("99999999999999999999"), 2147483647);
    EXPECT_EQ(AtoiRules("-99999999999999999999"), -2147483647 - 1);
    EXPECT_EQ(AtoiRules("65536"), 65536) << "the relay keeps the low 16 bits itself";
}

}  // namespace proxy
