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
    for (std::size_t i = 0; i < times; ++i) text += unit;
    return text;
}

class DeepRecursionTest : public ::testing::TestWithParam<unsigned> {
protected:
    // The spans, worked out on a thread with a small stack that must go on
    // working afterwards.
    std::string SpansOnSmallStack(const std::string& pattern, const std::string& subject,
                                  const regex::match_limits& limits = {}) {
        std::string result = "thread did not run";
        const unsigned mode = GetParam();
        EXPECT_TRUE(regex_test::RunOnSmallStack(kSmallStack, [&] {
            try {
                result = regex_test::Spans(pattern, 0, mode, subject, limits);
            } catch (const std::bad_alloc&) {
                result = "out of room";
            }
            if (regex_test::Spans("b(c)", 0, mode, "abcd") != "1-3 2-3") result = "broken afterwards";
        }));
        return result;
    }
};

TEST_P(DeepRecursionTest, AnswersMatchesDeeperThanTheStack) {
    const std::string abc = Repeat("abc", 100 * 1000) + "x";
    const std::size_t n = 20000;
    const struct {
        std::string pattern, subject, expected;
    } cases[] = {
        {"(a|b)*", Repeat("ab", 512 * 1024), "0-1048576 1048575-1048576"},
        // Alternatives of different widths: every iteration is a choice point.
        {"(a|bc?)*x", abc, "0-300001 299998-300000"},
        {"^(?:a|bc?)*y", abc, "nomatch"},
        {"(a|bc?)*$", Repeat("abc", 50 * 1000), "0-150000 149998-150000"},
        {"a(?:(?R))?b", std::string(n, 'a') + std::string(n, 'b'), "0-" + std::to_string(2 * n)},
    };
    for (const auto& c : cases) EXPECT_EQ(SpansOnSmallStack(c.pattern, c.subject), c.expected) << c.pattern;
    const std::string nested = SpansOnSmallStack(std::string(n, '(') + "a" + std::string(n, ')'), "xa");
    EXPECT_EQ(nested.substr(0, 12), "1-2 1-2 1-2 ");
    EXPECT_EQ(nested.size(), 4 * (n + 1) - 1);
}

// Running out of room is an error, never an answer: the text may well match.
TEST_P(DeepRecursionTest, SearchThatOutgrowsItsBacktrackBudgetRaises) {
    regex::match_limits limits;
    limits.backtrack_bytes = 256 * 1024;
    EXPECT_EQ(SpansOnSmallStack("(a|bc?)*x", Repeat("abc", 100 * 1000) + "x", limits), "out of room");
    EXPECT_EQ(SpansOnSmallStack("(a|bc?)*x", "abcx", limits), "0-4 1-3");
}

// A loop outside every group remembers where iterating failed, so each
// later start costs a step, not another pass over the rest of the text.
TEST_P(DeepRecursionTest, TopLevelLoopFailsOncePerPosition) {
    regex::match_limits limits;
    limits.steps = 1000 * 1000;
    EXPECT_EQ(SpansOnSmallStack("(a|)*c", std::string(20000, 'a') + "bc", limits), "20001-20002 20001-20001");
    EXPECT_EQ(SpansOnSmallStack("(?:ab|a|)*c", std::string(10000, 'a') + "xab" + "c", limits), "10001-10004");
    // A backreference reads the records, and the memo would be wrong.
    EXPECT_EQ(SpansOnSmallStack("(a|)*\\1c", "xaac"), "1-4 3-3");
}

// Backtracking that would take exponential time stops at the step limit
// (inside a group, where a loop cannot remember its failures).
TEST_P(DeepRecursionTest, StepLimitStopsRunawayBacktracking) {
    regex::match_limits limits;
    limits.steps = 100000;
    EXPECT_EQ(SpansOnSmallStack("(?:(a*)*)[bc]", std::string(40, 'a'), limits), "step limit");
    EXPECT_EQ(SpansOnSmallStack("(?:(a*)*)[bc]", "aab", limits), "0-3 2-2");
}

INSTANTIATE_TEST_SUITE_P(AllModes, DeepRecursionTest, ::testing::ValuesIn(regex_test::kModes),
                         regex_test::ModeParamName);

}  // namespace
