#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "frame/debug_trace.h"
#include "frame/text_conversion.h"

namespace {

// OutputDebugString raises a first-chance exception carrying the text; a
// vectored handler sees it before the system's own handler consumes it.
std::string g_lastTrace;

LONG CALLBACK CaptureDebugString(EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
    constexpr DWORD kNarrow = 0x40010006;  // DBG_PRINTEXCEPTION_C
    constexpr DWORD kWide = 0x4001000A;    // DBG_PRINTEXCEPTION_WIDE_C
    if (record.ExceptionCode == kNarrow) {
        g_lastTrace = reinterpret_cast<const char*>(record.ExceptionInformation[1]);
    } else if (record.ExceptionCode == kWide) {
        const auto* wide = reinterpret_cast<const wchar_t*>(record.ExceptionInformation[1]);
        g_lastTrace.clear();
        for (; *wide != L'\0'; ++wide) g_lastTrace += static_cast<char>(*wide);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

class DebugTraceTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_lastTrace.clear();
        handler_ = AddVectoredExceptionHandler(1, CaptureDebugString);
    }
    void TearDown() override { RemoveVectoredExceptionHandler(handler_); }

private:
    void* handler_ = nullptr;
};

}  // namespace

TEST_F(DebugTraceTest, FormatsWithTheMicrosoftConventions) {
    DebugTrace(L"WSAStartup error return value is %d, %d", 10091, 0);
    EXPECT_EQ(g_lastTrace, "WSAStartup error return value is 10091, 0");

    DebugTrace(L"wide %s narrow %hs", L"text", "line");
    EXPECT_EQ(g_lastTrace, "wide text narrow line");
}

TEST_F(DebugTraceTest, CutsLongTextAt511Characters) {
    const std::wstring longText(5000, L'x');
    DebugTrace(L"%s", longText.c_str());
    EXPECT_EQ(g_lastTrace, std::string(511, 'x'));
}

TEST(TextConversion, ConvertsTheWholeStringToUtf8) {
    EXPECT_EQ(ToUtf8(L""), "");
    EXPECT_EQ(ToUtf8(L"127.0.0.1:10000"), "127.0.0.1:10000");
    EXPECT_EQ(ToUtf8(L"caf\u00e9 \u4e2d"), "caf\xc3\xa9 \xe4\xb8\xad");
    EXPECT_EQ(ToUtf8(L"\U0001F600"), "\xf0\x9f\x98\x80");
    EXPECT_EQ(ToUtf8(std::wstring(L"a\0b", 3)), std::string("a\0b", 3)) << "embedded NULs are kept";
}
