#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/json/recording_callbacks.h"
#include "tests/json/trace.h"

using json_test::ScanTrace;

namespace {

struct Golden {
    const wchar_t* text;
    const char* trace;
};

void ExpectTraces(const std::vector<Golden>& table) {
    for (const Golden& golden : table)
        EXPECT_EQ(ScanTrace(golden.text), golden.trace) << "text: " << json_test::Narrow(golden.text);
}

}  // namespace

TEST(Scanner, ReadsMembersWithBareNamesSingleQuotesAndScalarValuesOnly) {
    ExpectTraces({
        {L"{'name':'a',port:80}", "{ name='a' port=#80(80) }"},
        {L"{\"x\":true,'y':false,z:null}", "{ x=true y=false z=null }"},
        {L"{\"a\":\"it's\",'b':'say \"hi\"'}", "{ a='it's' b='say\\u0020\"hi\"' }"},
        {L"{ 'a' :\t1 ,\r\n b : 2 }", "{ a=#1(1) b=#2(2) }"},
        {L"{a:{},b:1}", "{ a:{ } b=#1(1) }"},
        {L"{a:[1,{b:2},[3]],c:{d:[]}}", "{ a:[ =#1(1) { b=#2(2) } [ =#3(3) ] ] c:{ d:[ ] } }"},
        {L"{'x':maybe}", "{ }"},
        {L"{a:,b:1}", "{ b=#1(1) }"},
    });
}

TEST(Scanner, ReportsStructuralErrorsAndSkipsTheOffendingCharacter) {
    ExpectTraces({
        {L"{'a':1 'b':2}", "{ !7 b=#2(2) }"},
        {L"{x:maybe y:1}", "{ !9 y=#1(1) }"},
        {L"{1:2}", "{ !1 !2 !3 }"},
        {L"{'':1}", "{ !3 =#1(1) }"},
        {L"{'a'", "{ !4 }"},
        {L"{a:1]}", "{ !4 a=#1(1) }"},
        {L"{'list':[true]}", "{ list:[ !9 !10 !11 !12 ] }"},
        {L"[:}]", "[ !1 !2 ]"},
        {L"{a:{} b:1}", "{ a:{ } b=#1(1) }"},
    });
}

TEST(Scanner, ReadsNumbersAsWrittenAndStringsWithTheirEscapes) {
    ExpectTraces({
        {L"{'v':-12.5e1}", "{ v=#-12.5e1(-125) }"},
        {L"{'v':007}", "{ !6 !7 v=#0(0) }"},
        {L"[-,0.5,1e,1E+2,-0,25e+1,0e5]",
         "[ =#-(-0) =#0.5(0.5) =#1e(1) =#1E+2(100) =#-0(-0) =#25e+1(250) =#0e5(0) ]"},
        {L"[1 2]", "[ =#2(2) ]"},
        {L"[1e999999999999999999999]", "[ =#1e999999999999999999999(inf) ]"},
        {L"{s:'\\u0041\\uZZZZ\\'\\n\\/\\q'}", "{ s='A\\u0000'\\u000A/q' }"},
        {L"{s:'\\b\\f\\r\\t\\\\'}", "{ s='\\u0008\\u000C\\u000D\\u0009\\' }"},
        {L"{e:'\\uD83D\\uDE00\\u00e9'}", "{ e='\\uD83D\\uDE00\\u00E9' }"},
        {L"{'s':'\\u004", "{ !8 }"},
        {L"{'s':'\\u0041", "{ !8 }"},
        {L"{'s':'x\\", "{ }"},
    });
}

TEST(Scanner, JoinsElementsThatHaveNoCommaBetweenThem) {
    ExpectTraces({
        {L"['a' 'b']", "[ ='ab' ]"},
        {L"[1'a']", "[ ='1a' ]"},
        {L"[1 [2]]", "[ [ !4 =#2(2) ] ]"},
        {L"[1 {'a':2}]", "[ !3 { a=#2(2) } ]"},
    });
}

TEST(Scanner, ReadsEveryTopLevelValueAndClosesWhatTheTextLeavesOpen) {
    ExpectTraces({
        {L"{'a':1}x{'b':2} [3]", "{ a=#1(1) } { b=#2(2) } [ =#3(3) ]"},
        {L"junk 'text' 42 : }", ""},
        {L"{'a':1", "{ }"},
        {L"{a:[{b:1", "{ a:[ { } ] }"},
    });
}

TEST(Scanner, TakesNulAndNonAsciiAsWordCharactersAndReadsOnlyTheLengthGiven) {
    EXPECT_EQ(ScanTrace(std::wstring(L"{a\0b:1}", 7)), "{ a\\u0000b=#1(1) }");
    EXPECT_EQ(ScanTrace(L"{\u043A\u043B:'\u00e9'}"), "{ \\u043A\\u043B='\\u00E9' }");
    EXPECT_EQ(ScanTrace(L"{a:1}{b:2}", 5), "{ a=#1(1) }");
    EXPECT_EQ(ScanTrace(nullptr, 0), "");
}

// The same documents cut at every length, each copy in a buffer of exactly
// that size so the sanitizers catch a read past the end: the reader keeps
// its promises whatever the cut.
TEST(Scanner, StaysBalancedAndInBoundsWhereverTheTextIsCut) {
    const std::vector<std::wstring> documents = {
        L"{'name':'a',port:80,'list':[{id:'1',host:\"h\"},[1,2.5e-3,'x\\u0041'],true],o:{p:{}}}",
        L"{s:'\\u00", L"['a' 'b' 1 [2 {c:3 'd':'e\\\\'}]]", L"{x:maybe y:-0.5E+2 z:null,}",
    };
    for (const std::wstring& document : documents) {
        for (size_t length = 0; length <= document.size(); ++length) {
            std::unique_ptr<wchar_t[]> exact(new wchar_t[length == 0 ? 1 : length]);
            std::copy(document.begin(), document.begin() + static_cast<std::ptrdiff_t>(length), exact.get());
            json_test::Recorder recorder(static_cast<unsigned>(length));
            recorder.Parse(exact.get(), length);
            ASSERT_EQ(recorder.broken(), "") << json_test::Narrow(document.substr(0, length));
        }
    }
}
