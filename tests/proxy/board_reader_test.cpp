#include <gtest/gtest.h>

#include <string>

#include "proxy/board/board_reader.h"
#include "stand_ins/razed/value_stream.h"
#include "stand_ins/razed/value_stream_writer.h"

namespace proxy {

using razed::ValueStreamWriter;

namespace {

// Reads one record from the front of the stream: its fields, the type of the
// item after it and the cast error's message, if any.
struct Decoded {
    BoardInitRecord record;
    int next = -1;
    std::string error;
};

Decoded Decode(const ValueStreamWriter& writer) {
    razed::ValueStream stream(writer.bytes().data(), writer.bytes().size());
    EXPECT_TRUE(stream.Good());
    BoardReader reader(stream);
    Decoded decoded;
    try {
        reader >> decoded.record;
    } catch (const RaZED::CastError& error) {
        decoded.error = error.what();
    }
    decoded.next = stream.Peek();
    return decoded;
}

ValueStreamWriter FivePlainTexts() {
    ValueStreamWriter writer;
    writer.ScopeBegin().String(L"v").String(L"b").String(L"").String(L"").String(L"e");
    return writer;
}

}  // namespace

// A record is read with its scope end and nothing after it.
TEST(BoardRecord, DecodesTheInitialValueRecord) {
    const Decoded whole = Decode(FivePlainTexts().Int(-7).String(L"g").ScopeEnd().String(L"after"));
    const BoardInitRecord& r = whole.record;
    EXPECT_EQ(r.proxy_config_type + L"|" + r.text2 + L"|" + r.text3 + L"|" + r.text4 + L"|" + r.text5 + L"|" + r.text7,
              L"v|b|||e|g");
    EXPECT_EQ(r.number, -7);
    EXPECT_EQ(whole.next, RaZED::TypeString);

    // Fields missing at the end keep their defaults.
    const Decoded cutShort = Decode(ValueStreamWriter().ScopeBegin().String(L"1").ScopeEnd().String(L"after"));
    EXPECT_EQ(cutShort.record.proxy_config_type, L"1");
    EXPECT_EQ(cutShort.record.number, 0);
    EXPECT_EQ(cutShort.next, RaZED::TypeString);
    EXPECT_EQ(Decode(FivePlainTexts().Int(3).ScopeEnd()).record.number, 3);

    // Items past the last field, nested scopes among them, are skipped with the record.
    const Decoded longer = Decode(FivePlainTexts().Int(1).String(L"").ScopeBegin().String(L"x").ScopeEnd().Null()
                                      .ScopeEnd().String(L"after"));
    EXPECT_EQ(longer.record.proxy_config_type, L"v");
    EXPECT_EQ(longer.next, RaZED::TypeString);

    // A scope end where the record should begin is a missing record, and so is no data at all.
    const Decoded missing = Decode(ValueStreamWriter().ScopeEnd().String(L"not read"));
    EXPECT_EQ(missing.record.proxy_config_type, L"");
    EXPECT_EQ(missing.error, "");
    EXPECT_EQ(Decode(ValueStreamWriter()).error, "");

    // An item of the wrong type throws a cast error naming both types.
    EXPECT_EQ(Decode(ValueStreamWriter().ScopeBegin().Int(5).ScopeEnd()).error, "from TypeInt to TypeString");
    EXPECT_EQ(Decode(ValueStreamWriter().ScopeBegin().Null().ScopeEnd()).error, "from TypeNull to TypeString");
    EXPECT_EQ(Decode(FivePlainTexts().String(L"6").ScopeEnd()).error, "from TypeString to TypeInt");
    EXPECT_EQ(Decode(ValueStreamWriter().String(L"0")).error, "from TypeString to ScopeBegin");
}

}  // namespace proxy
