// Matches far deeper than a thread's stack: the recursive engine must hand
// over to the iterative one before the stack runs out, the answer must be
// the right one, and the thread must go on working afterwards.
#include <gtest/gtest.h>

#include <new>
#include <string>

#include "regex/rpattern.h"
#include "tests/regex/regex_test_support.h"
#include "tests/regex/small_stack_thread.h"

namespace {

constexpr std::size_t kSmallStack = 256 * 1024;

std::string Repeat(const std::string& unit, std::size_t times) {
    std::string text;
    text.reserve(unit.size() * times);
    for (std::size_t i = 0; i < times; ++i) text += unit;
    return text;
}

class DeepRecursionTest : public ::testing::TestWithParam<unsigned> {
protected:
    // The spans, worked out on a thread with a small stack.
    std::string SpansOnSmallStack(const std::string& pattern, const std::string& subject,
                                  const regex::match_limits& limits = {}) {
        std::string result = "thread did not run";
        const unsigned mode = GetParam();
        EXPECT_TRUE(regex_test::RunOnSmallStack(kSmallStack, [&] {
            result = regex_test::Spans(pattern, 0, mode, subject, limits);
        }));
        return result;
    }
};

TEST_P(DeepRecursionTest, RepeatedAlternationOverAMegabyte) {
    const std::string text = Repeat("ab", 512 * 1024);
    EXPECT_EQ(SpansOnSmallStack("(a|b)*", text), "0-1048576 1048575-1048576");
}

TEST_P(DeepRecursionTest, LoopThatTracksEveryIteration) {
    // Alternatives of different widths: every iteration is a choice point.
    const std::string text = Repeat("abc", 100 * 1000) + "x";
    EXPECT_EQ(SpansOnSmallStack("(a|bc?)*x", text), "0-300001 299998-300000");
    EXPECT_EQ(SpansOnSmallStack("^(?:a|bc?)*y", text), "nomatch");
}

TEST_P(DeepRecursionTest, DeeplyNestedGroups) {
    const std::size_t depth = 20000;
    const std::string pattern = std::string(depth, '(') + "a" + std::string(depth, ')');
    const std::string spans = SpansOnSmallStack(pattern, "xa");
    EXPECT_EQ(spans.substr(0, 12), "1-2 1-2 1-2 ");
    EXPECT_EQ(spans.size(), 4 * (depth + 1) - 1);
}

TEST_P(DeepRecursionTest, DeepRecursionIntoThePattern) {
    const std::size_t n = 20000;
    const std::string text = std::string(n, 'a') + std::string(n, 'b');
    EXPECT_EQ(SpansOnSmallStack("a(?:(?R))?b", text), "0-" + std::to_string(2 * n));
}

TEST_P(DeepRecursionTest, ThreadGoesOnWorkingAfterwards) {
    const std::string deep = Repeat("abc", 50 * 1000);
    std::string first, second;
    const unsigned mode = GetParam();
    ASSERT_TRUE(regex_test::RunOnSmallStack(kSmallStack, [&] {
        first = regex_test::Spans("(a|bc?)*$", 0, mode, deep);
        second = regex_test::Spans("b(c)", 0, mode, "abcd");
    }));
    EXPECT_EQ(first, "0-150000 149998-150000");
    EXPECT_EQ(second, "1-3 2-3");
}

// Every iteration leaves a choice behind; the budget must grow with the
// text for a subject of megabytes to be followed to its end.
TEST_P(DeepRecursionTest, LoopOverSeveralMegabytes) {
    const std::string text = Repeat("abc", 400 * 1000) + "x";
    EXPECT_EQ(SpansOnSmallStack("(a|bc?)*x", text), "0-1200001 1199998-1200000");
}

// Running out of room is an error, never an answer: the text may well match.
TEST_P(DeepRecursionTest, SearchThatOutgrowsItsBacktrackBudgetRaises) {
    regex::match_limits limits;
    limits.backtrack_bytes = 256 * 1024;
    const std::string text = Repeat("abc", 100 * 1000) + "x";
    const unsigned mode = GetParam();
    bool raised = false;
    ASSERT_TRUE(regex_test::RunOnSmallStack(kSmallStack, [&] {
        try {
            regex_test::Spans("(a|bc?)*x", 0, mode, text, limits);
        } catch (const std::bad_alloc&) {
            raised = true;
        }
    }));
    EXPECT_TRUE(raised);
    EXPECT_EQ(SpansOnSmallStack("(a|bc?)*x", "abcx", limits), "0-4 1-3");
}

INSTANTIATE_TEST_SUITE_P(AllModes, DeepRecursionTest, ::testing::ValuesIn(regex_test::kModes),
                         regex_test::ModeParamName);

TEST(MatchLimits, StepLimitStopsRunawayBacktracking) {
    regex::match_limits limits;
    limits.steps = 100000;
    for (unsigned mode : regex_test::kModes) {
        const regex::rpattern pattern("(a*)*[bc]", 0, mode);
        regex::match_results results;
        EXPECT_THROW(pattern.match(std::string(40, 'a'), results, 0, std::string::npos, limits),
                     regex::match_limit_exceeded)
            << regex_test::ModeName(mode);
        EXPECT_EQ(regex_test::Spans("(a*)*[bc]", 0, mode, "aab", limits), "0-3 2-2");
    }
}

}  // namespace
