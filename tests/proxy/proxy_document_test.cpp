#include <gtest/gtest.h>

#include <memory>
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

    // The id of the entry chosen from the document, or "none".
    std::wstring Chosen(const std::wstring& document) {
        const ProxyEntry* entry = ChooseEntry(Read(document));
        return entry ? entry->id : L"none";
    }

private:
    std::unique_ptr<CProxyObject_CB> reader_;
};

}  // namespace

// Every value is taken as text, keys match without regard to case at either
// level, and a later member overwrites an earlier one.
TEST_F(ProxyDocument, FillsTheConfigurationAndOneEntryPerObjectOfTheList) {
    const ProxyConfig& config = Read(
        L"{'dispatch_id':'d','DEFAULT_ID':'2','bypass_list':'<local>;*.test','bypass_local':true,"
        L"'proxies':[{'id':'1','name':'first','scheme':'SOCKS5','Host':'10.0.0.1','port':1080,"
        L"'username':'u','PASSWORD':'p'},{'id':2,'host':'h2','PORT':'3128','port':'3129','bypass_list':'inside'}]}");
    EXPECT_EQ(config.dispatch_id + L"|" + config.default_id + L"|" + config.bypass_list + L"|" + config.bypass_local,
              L"d|2|inside|true")
        << "a configuration key inside an entry sets the configuration";
    ASSERT_EQ(config.entries.size(), 2u);
    const auto fields = [](const ProxyEntry& e) {
        return e.id + L"|" + e.name + L"|" + e.scheme + L"|" + e.host + L"|" + e.port + L"|" + e.username + L"|" +
               e.password;
    };
    EXPECT_EQ(fields(config.entries[0]), L"1|first|SOCKS5|10.0.0.1|1080|u|p");
    EXPECT_EQ(fields(config.entries[1]), L"2|||h2|3129||");
    EXPECT_EQ(config.current, &config.entries[1]);
}

// Objects of every array are entries, in document order; entry keys before
// the first entry and objects that are no array's elements are ignored.
TEST_F(ProxyDocument, ChoosesTheFirstEntryWithBothAnIdAndAHost) {
    EXPECT_EQ(Chosen(L"{l:[{id:'1',port:'80'},{id:'2',host:'h2'},{id:'3',host:'h3'}]}"), L"2");
    EXPECT_EQ(Chosen(L"{a:[{id:'1'}],b:'x',c:[{id:'2'},{id:'3',host:'h'}]}"), L"3");
    EXPECT_EQ(Chosen(L"{l:[{id:'1',host:''},{id:'',host:'h'},{host:'h'}]}"), L"none");
    EXPECT_EQ(Chosen(L"{host:'early',id:'0',nested:{id:'9',host:'x'},list:[1,'two',[{id:'3',host:'deep'}],{id:'4'}]}"),
              L"none");
    EXPECT_EQ(Chosen(L"not a document"), L"none");
}

TEST(ProxyScheme, TellsDirectSchemesFromRelayedOnesInAnyCase) {
    for (const wchar_t* scheme : {L"http", L"HTTPS", L"Http"}) EXPECT_EQ(KindOfScheme(scheme), ProxyKind::Http);
    for (const wchar_t* scheme : {L"socks4", L"SOCKS4A", L"Socks5", L"socks5H"})
        EXPECT_EQ(KindOfScheme(scheme), ProxyKind::Socks);
    for (const wchar_t* scheme : {L"ftp", L"", L"socks", L"socks5 ", L"https:"})
        EXPECT_EQ(KindOfScheme(scheme), ProxyKind::Unknown);
}

TEST(AtoiRules, ReadsLikeAtoiAndSaturatesInsteadOfOverflowing) {
    // The relay keeps the low 16 bits of a port itself.
    const std::pair<const char*, int> cases[] = {{"1080", 1080}, {"  \t+42xyz", 42}, {"-17", -17}, {"x1", 0}, {"", 0},
        {"65536", 65536}, {"99999999999999999999", 2147483647}, {"-99999999999999999999", -2147483647 - 1}};
    for (const auto& [text, expected] : cases) EXPECT_EQ(AtoiRules(text), expected) << text;
}

}  // namespace proxy
