// Searches that once took time exponential or quadratic in the text, each
// run with an allowance of steps far below what that behaviour needs: a
// regression runs out of steps within milliseconds and shows as "step limit"
// instead of hanging the run. The answers are those of the unhurried
// search. Every case runs in all three modes.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/regex/regex_test_support.h"

namespace {

class WorkBounds : public ::testing::TestWithParam<unsigned> {
protected:
    std::string Within(const std::string& pattern, const std::string& subject, std::uint64_t steps) {
        return regex_test::SpansWithin(pattern, 0, GetParam(), subject, steps);
    }
};

// An iteration that consumed nothing, followed by one that consumes, reaches
// what a consuming iteration reached directly: every position two ways, and
// twice the work for each further character. Where the loop's contents
// capture, an empty iteration leaves a record behind that a later one may
// not overwrite, and the answer depends on it.
TEST_P(WorkBounds, EmptyIterationsDoNotDoubleTheWork) {
    constexpr std::uint64_t kSteps = 100000;  // 2^30 paths need billions
    const std::string as = std::string(30, 'a') + "bc";
    EXPECT_EQ(Within("(a|)*c", as, kSteps), "31-32 31-31");
    EXPECT_EQ(Within("(|a)*c", as, kSteps), "31-32 31-31");
    EXPECT_EQ(Within("(a|)*?c", as, kSteps), "31-32 -");
    EXPECT_EQ(Within("(?:a|){2,}c", as, kSteps), "31-32");
    EXPECT_EQ(Within("(?:a|b?)*c", std::string(30, 'b') + "ac", kSteps), "0-32");
    EXPECT_EQ(Within("(?:(b?)|a)*$", "a", kSteps), "0-1 1-1");
    EXPECT_EQ(Within("(?:a|())*x", "aax", kSteps), "0-3 2-2");
    EXPECT_EQ(Within("((?:a|)*)x", "aax", kSteps), "0-3 0-2");
    EXPECT_EQ(Within("(a|)+", "aa", kSteps), "0-2 2-2");
}

// An attempt that began with a run of repeated characters and failed tried
// every way the rest could follow that run; so did each later start inside it.
TEST_P(WorkBounds, AFailedLeadingRunIsNotScannedAgainFromEachOfItsCharacters) {
    const std::string letters(20000, 'q');
    const std::uint64_t steps = 4 * letters.size();  // the quadratic scan needs 2 * 10^8
    EXPECT_EQ(Within("\\w+\\s*=", letters + " ;=", steps), "nomatch");
    EXPECT_EQ(Within("\\w+@", letters + " @", steps), "nomatch");
    EXPECT_EQ(Within(".*?!", letters + "\n!", steps), "20001-20002");
    EXPECT_EQ(Within("(\\w+)@", letters + "@", steps), "0-20001 0-20000");
    EXPECT_EQ(Within("\\w*?@x", "ab@ab@x", steps), "3-7");
    // One character of a subset of the run's may come first.
    EXPECT_EQ(Within("[a-z][a-z0-9]*=", letters + " ;=", steps), "nomatch");
    EXPECT_EQ(Within("([a-z][a-z0-9]*)://", "9abc://", steps), "1-7 1-4");
    EXPECT_EQ(Within("[a-z]\\w*:", "1_b:", steps), "2-4");
}

// A look-behind whose body records nothing hands its successor the same
// state from whichever start the body matched: once that failed, every
// other start would fail the same way.
TEST_P(WorkBounds, ALookBehindThatRecordsNothingIsDecidedOnce) {
    const std::string xs(2000, 'x');
    const std::uint64_t steps = 100 * xs.size();  // trying all 60 starts needs 60 times as many
    EXPECT_EQ(Within("(?<=[a-z]{1,60})[a-z]\\d", xs, steps), "nomatch");
    EXPECT_EQ(Within("(?<=[a-z]{1,60})[a-z]\\d", xs + "1", steps), "1999-2001");
    // A capture in the body makes each start a different state.
    EXPECT_EQ(Within("(?<=(a|aa))b\\1", "aaba", steps), "2-4 1-2");
}

INSTANTIATE_TEST_SUITE_P(AllModes, WorkBounds, ::testing::ValuesIn(regex_test::kModes), regex_test::ModeParamName);

}  // namespace
