// Faults this engine once had, each pinned by the case that showed it.
// Every case runs in all three modes.
#include <gtest/gtest.h>

#include <string>

#include "tests/regex/regex_test_support.h"

namespace {

using regex_test::Spans;

class FormerBugs : public ::testing::TestWithParam<unsigned> {};

// Quoted characters looked for their quantifier after \E, so the '*' before
// \E was taken as the quantifier of the '.'.
TEST_P(FormerBugs, OnlyTheLastQuotedCharacterTakesAQuantifier) {
    EXPECT_EQ(Spans(R"(\Q.*\E+)", 0, GetParam(), ".**"), "0-3");
    EXPECT_EQ(Spans(R"(\Qab\E{2})", 0, GetParam(), "abb"), "0-3");
}

// A right-to-left global search refused an empty match only at its first
// position tried, the far end, so an empty match further left was found
// again and again for ever.
TEST_P(FormerBugs, RightToLeftGlobalSearchNeverRepeatsAnEmptyMatch) {
    const regex::RegexFlags flags = regex::flag_global | regex::flag_rightmost | regex::flag_first_backrefs;
    EXPECT_EQ(Spans("x*", flags, GetParam(), "abc"), "3-3");
    EXPECT_EQ(Spans("a*", flags, GetParam(), "baab"), "4-4");
    EXPECT_EQ(Spans("a?", flags | regex::flag_single_line, GetParam(), "a"), "1-1");
}

// A negative look-behind of varying width let what followed run as soon as
// one start did not match the body, before the other starts were tried.
TEST_P(FormerBugs, NegativeLookBehindTriesEveryStartFirst) {
    EXPECT_EQ(Spans("(?<!xx|c)d", 0, GetParam(), "bcd"), "nomatch");
    EXPECT_EQ(Spans("(?<!\\d{2,3})x", 0, GetParam(), "a12x"), "nomatch");
    EXPECT_EQ(Spans("(?<!\\d{2,3})x", 0, GetParam(), "a1x"), "2-3");
}

// A recursion that reaches the same position without consuming anything
// never ends; it must fail rather than exhaust the stack and the budget.
TEST_P(FormerBugs, RecursionWithoutProgressFails) {
    EXPECT_EQ(Spans("(?:(?R)|a)b", 0, GetParam(), "ab"), "0-2");
    EXPECT_EQ(Spans("x|(?R)", 0, GetParam(), "ab"), "nomatch");
}

INSTANTIATE_TEST_SUITE_P(AllModes, FormerBugs, ::testing::ValuesIn(regex_test::kModes), regex_test::ModeParamName);

}  // namespace
