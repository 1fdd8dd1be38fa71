#include <gtest/gtest.h>

#include <string>

#include "frame/debug_trace.h"
#include "tests/support/debug_output.h"

// Wine may pass a wide trace on as a narrow one too: the last line is the trace.
TEST(DebugTrace, FormatsWithTheMicrosoftConventionsAndCutsAt511Characters) {
    const DebugOutput output;
    const auto last = [&] {
        const auto lines = output.Lines();
        return lines.empty() ? std::string() : lines.back();
    };
    DebugTrace(L"WSAStartup error return value is %d, %d", 10091, 0);
    EXPECT_EQ(last(), "WSAStartup error return value is 10091, 0");
    DebugTrace(L"wide %s narrow %hs", L"text", "line");
    EXPECT_EQ(last(), "wide text narrow line");
    DebugTrace(L"%s", std::wstring(5000, L'x').c_str());
    EXPECT_EQ(last(), std::string(511, 'x'));
}
