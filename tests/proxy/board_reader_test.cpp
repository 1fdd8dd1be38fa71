#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "proxy/board/board_reader.h"
#include "stand_ins/razed/value_stream.h"
#include "stand_ins/razed/value_stream_writer.h"

namespace proxy {

using razed::ValueStreamWriter;

namespace {

BoardInitRecord Decode(const std::vector<unsigned char>& bytes, unsigned* skipDepth = nullptr) {
    razed::ValueStream stream(bytes.data(), bytes.size());
    EXPECT_TRUE(stream.Good());
    BoardReader reader(stream);
    BoardInitRecord record;
    reader >> record;
    if (skipDepth != nullptr) *skipDepth = reader.skip_depth();
    return record;
}

std::string CastMessage(const std::vector<unsigned char>& bytes) {
    try {
        Decode(bytes);
    } catch (const RaZED::CastError& error) {
        return error.what();
    }
    return "no error";
}

}  // namespace

TEST(BoardRecord, ReadsEveryFieldOfAWholeRecord) {
    ValueStreamWriter stream;
    stream.ScopeBegin().String(L"{\"a\":1}").String(L"b").String(L"").String(L"d").String(L"e").Int(-7).String(L"g")
        .ScopeEnd();
    const BoardInitRecord record = Decode(stream.bytes());
    EXPECT_EQ(record.proxy_config_type, L"{\"a\":1}");
    EXPECT_EQ(record.text2, L"b");
    EXPECT_EQ(record.text5, L"e");
    EXPECT_EQ(record.number, -7);
    EXPECT_EQ(record.text7, L"g");
}

TEST(BoardRecord, LeavesTheFieldsOfARecordCutShortAtTheirDefaults) {
    ValueStreamWriter stream;
    stream.ScopeBegin().String(L"1").ScopeEnd().String(L"after");
    razed::ValueStream reader(stream.bytes().data(), stream.bytes().size());
    BoardReader board(reader);
    BoardInitRecord record;
    board >> record;
    EXPECT_EQ(record.proxy_config_type, L"1");
    EXPECT_EQ(record.text2, L"");
    EXPECT_EQ(record.number, 0);
    EXPECT_EQ(record.text7, L"");
    EXPECT_EQ(reader.Peek(), RaZED::TypeString) << "the scope end is consumed, the next item is not";

    ValueStreamWriter withoutLast;
    withoutLast.ScopeBegin().String(L"0").String(L"").String(L"").String(L"").String(L"").Int(3).ScopeEnd();
    EXPECT_EQ(Decode(withoutLast.bytes()).number, 3);
}

TEST(BoardRecord, SkipsAMissingRecordWithoutAnError) {
    ValueStreamWriter stream;
    stream.ScopeEnd().String(L"not read");
    unsigned skipDepth = 99;
    const BoardInitRecord record = Decode(stream.bytes(), &skipDepth);
    EXPECT_EQ(record.proxy_config_type, L"");
    EXPECT_EQ(skipDepth, 0u);
    EXPECT_EQ(Decode({}).proxy_config_type, L"") << "no bytes at all read as a scope end";
}

TEST(BoardRecord, SkipsNestedScopesWhenARecordEnds) {
    ValueStreamWriter stream;
    stream.ScopeBegin().String(L"v").String(L"").String(L"").String(L"").String(L"").Int(1).String(L"")
        .ScopeBegin().String(L"extra").ScopeEnd().Null().ScopeEnd().String(L"next");
    razed::ValueStream reader(stream.bytes().data(), stream.bytes().size());
    BoardReader board(reader);
    BoardInitRecord record;
    board >> record;
    EXPECT_EQ(record.proxy_config_type, L"v");
    EXPECT_EQ(reader.Peek(), RaZED::TypeString);
}

TEST(BoardRecord, ThrowsCastErrorNamingBothTypesForAnItemOfTheWrongType) {
    ValueStreamWriter intForString;
    intForString.ScopeBegin().Int(5).ScopeEnd();
    EXPECT_EQ(CastMessage(intForString.bytes()), "from TypeInt to TypeString");

    ValueStreamWriter stringForInt;
    stringForInt.ScopeBegin().String(L"").String(L"").String(L"").String(L"").String(L"").String(L"6").ScopeEnd();
    EXPECT_EQ(CastMessage(stringForInt.bytes()), "from TypeString to TypeInt");

    ValueStreamWriter noScope;
    noScope.String(L"0");
    EXPECT_EQ(CastMessage(noScope.bytes()), "from TypeString to ScopeBegin");

    ValueStreamWriter nullForString;
    nullForString.ScopeBegin().Null().ScopeEnd();
    EXPECT_EQ(CastMessage(nullForString.bytes()), "from TypeNull to TypeString");

    EXPECT_STREQ(RaZED::CastError(4, 1).what(), "from TypeReal to TypeScopeEnd");
    EXPECT_STREQ(RaZED::CastError(9, 2).what(), "from Type(9) to TypeInt");
}

TEST(ValueStream, IsNotGoodUnlessItsBytesAreWholeItems) {
    const std::vector<std::vector<unsigned char>> bad = {
        {0x06},                          // no such type
        {0x02, 1, 2, 3},                 // int cut short
        {0x03, 2, 0, 0, 0, 'a', 0},      // string of two units holding one
        {0x03, 0xFF, 0xFF, 0xFF, 0xFF},  // a count far beyond the data
        {0x04, 0, 0, 0, 0, 0, 0, 0},     // real cut short
    };
    for (const auto& bytes : bad) EXPECT_FALSE(razed::ValueStream(bytes.data(), bytes.size()).Good());

    ValueStreamWriter good;
    good.ScopeBegin().Int(1).String(L"x").Null().ScopeEnd();
    razed::ValueStream stream(good.bytes().data(), good.bytes().size());
    EXPECT_TRUE(stream.Good());
    EXPECT_TRUE(stream.SkipItem()) << "the whole scope";
    EXPECT_EQ(stream.Peek(), RaZED::TypeScopeEnd) << "past the end";
}

}  // namespace proxy
