// Search and replace: what a replacement string means, how a global
// substitution steps over empty matches, and what the results keep. The
// tables run under all three matcher modes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "regex/bad_regexpr.h"
#include "regex/rpattern.h"
#include "tests/regex/regex_test_support.h"

namespace {

using namespace std::string_literals;

constexpr regex::RegexFlags I = regex::flag_ignore_case;
constexpr regex::RegexFlags G = regex::flag_global;
constexpr regex::RegexFlags M = regex::flag_multiline;
constexpr regex::RegexFlags R = regex::flag_rightmost;
constexpr regex::RegexFlags NB = regex::flag_no_backrefs;
constexpr regex::RegexFlags FIRST = regex::flag_first_backrefs;
constexpr regex::RegexFlags ALL = regex::flag_all_backrefs;
constexpr regex::RegexFlags N = regex::flag_normalize;

using regex_test::Substituted;

struct SubstCase {
    std::string pattern;
    regex::RegexFlags flags;
    std::string replacement;
    std::string subject;
    std::string expected;
};

class SubstituteTest : public ::testing::TestWithParam<unsigned> {
protected:
    void Check(const std::vector<SubstCase>& cases) {
        for (const SubstCase& c : cases) {
            EXPECT_EQ(Substituted(c.pattern, c.flags, GetParam(), c.replacement, c.subject), c.expected)
                << "pattern " << c.pattern << ", replacement " << c.replacement << ", subject " << c.subject;
            // The pointer instantiation behaves alike.
            EXPECT_EQ(Substituted<const char*>(c.pattern, c.flags, GetParam(), c.replacement, c.subject), c.expected)
                << "pattern " << c.pattern << ", replacement " << c.replacement << " over pointers";
        }
    }
};

TEST_P(SubstituteTest, ReplacementStrings) {
    Check({
        {R"((\w+) (\w+))", 0, "$2 $1", "hello world", "1:world hello"},
        {"b", 0, "[$`|$&|$']", "abc", "1:a[a|b|c]c"},
        {"(a)(b)(c)(d)(e)", 0, "$12", "abcde", "1:a2"},                // the longest number that names a group
        {"(?:x)(y)", 0, "<$1>", "xy", "1:<y>"},                        // only capturing groups count
        {"(a)|b", 0, "[$1]", "b", "1:[]"},                             // a group that did not take part
        {"a(?=(b))", 0, "$1", "ab", "1:bb"},                           // a capture inside a look-ahead
        {"x", G, "$`", "axbx", "2:aabaxb"},                             // always from the start of the text
        {"a", 0, R"(\$1)", "a", "1:$1"},
        {"a", 0, R"(\Q$1\U\E$&)", "a", "1:$1\\Ua"},
        {"a", 0, R"(\U\Qb\Ec)", "a", "1:Bc"},                          // \E ends the quotation and the run
        {"a", N, R"(\a\e\f\n\r\v)", "a", "1:\a\x1b\f\n\r\v"},
        {"a", N, R"(\\n)", "a", "1:\\n"},                               // an escaped backslash, then n
        {"a", N, R"(\\\\)", "a", "1:\\"},                               // four become two, then one
        {"a", 0, "x\0y"s, "a", "1:x\0y"s},
        {"\0"s, G, "-", "a\0b\0"s, "2:a-b-"},
        {"a", 0, "\xff\\\xfe", "a", "1:\xff\xfe"},
        {"(\\w+)", 0, R"(\u\L$1)", "hELLO", "1:Hello"},                // the run first, then the one character
        {"x", 0, R"(\Uab\Lcd\Eef)", "x", "1:ABcdef"},
        {"x", 0, R"(\u\Eab)", "x", "1:Ab"},                             // \E leaves a pending change
        {"x", 0, "\\U1\xe9", "x", "1:1\xe9"},                           // the C library's case, not a locale's
        // A one-character change whose piece is empty is used up by it: the
        // text after the match is never touched.
        {"(a?)b", 0, R"(\u$1c)", "bd", "1:cd"},
        {"(a?)b", 0, R"(\u$1)", "bd", "1:d"},
    });
}

TEST_P(SubstituteTest, GlobalSubstitutionStepsOverEmptyMatchesInTheTextAsItWas) {
    Check({
        {"a", G, "bb", "aXa", "2:bbXbb"},
        {"x*", G, "-", "abc", "4:-a-b-c-"},
        {"a*", G, "-", "baaac", "4:-b--c-"},                           // empty again after a non-empty match
        {"\\b", G, "|", "ab cd", "4:|ab| |cd|"},
        {"^", G | M, "> ", "a\nb\n", "3:> a\n> b\n> "},
        {"$", G, "!", "a\n", "2:a!\n!"},
        {"a", R, "b", "aXa", "1:aXb"},
        // A replacement never becomes what a later match looks back at, with or
        // without a copy of the text.
        {"(?<=a)b", G, "a", "abbb", "1:aabb"},
        {"(?<=a)b", G | NB, "a", "abbb", "1:aabb"},
        {"\\bx", G | NB, "y", "xxx", "1:yxx"},
        {"^x", G | M | NB, "\n", "xx", "1:\nx"},
    });
}

TEST_P(SubstituteTest, BadReplacementsRaiseTheirExactMessage) {
    const char* const invalid = "error: invalid backreference in substitution";
    Check({
        {"a", 0, "$", "a", invalid},
        {"a", 0, "$0", "a", invalid},
        {"(a)", 0, "$2", "a", invalid},
        {"a", 0, "ab\\", "a", "error: expecting escape sequence in substitution string"},
        {"a", N, "\\", "a", "error: expecting escape sequence in substitution string"},
    });
}

TEST_P(SubstituteTest, ReplacesOnlyWithinTheRangeGiven) {
    regex::rpattern pattern("(?<=a)b|^c", G, GetParam());
    pattern.set_substitution("-");
    regex::subst_results results;
    std::string text = "cabab";
    // The search starts at 2 but looks back at the whole text.
    EXPECT_EQ(pattern.substitute(text, results, 2, 2), 1u);
    EXPECT_EQ(text, "ca-ab");
    EXPECT_EQ(pattern.substitute(text, results, 9, 1), 0u);
    EXPECT_EQ(text, "ca-ab");
}

INSTANTIATE_TEST_SUITE_P(AllModes, SubstituteTest, ::testing::ValuesIn(regex_test::kModes),
                         regex_test::ModeParamName);

// What the results hold afterwards: the records the flags keep, pointing into
// a copy of the text as it was.
TEST(SubstituteResults, KeepTheRecordsAGlobalMatchWould) {
    const struct {
        regex::RegexFlags flags;
        const char* records;
    } cases[] = {
        {0, "0-2 0-1"},
        {G, "4-6 4-5"},
        {G | FIRST, "0-2 2-4 4-6"},
        {G | ALL, "0-2 0-1 2-4 2-3 4-6 4-5"},
        {G | FIRST | ALL, "0-2 2-4 4-6"},
        {G | NB, "nomatch"},
    };
    for (const auto& c : cases) {
        regex::rpattern pattern("(.)b", c.flags);
        pattern.set_substitution("$1");
        regex::subst_results results;
        std::string text = "abcbdb";
        pattern.substitute(text, results);
        text.assign(1000, 'z');  // nothing of the caller's string is kept
        EXPECT_EQ(regex_test::Describe(results), c.records) << std::hex << c.flags;
        if (!(c.flags & NB)) {
            EXPECT_EQ(results.subject(), "abcbdb");
            for (std::size_t i = 0; i < results.cbackrefs(); ++i)
                EXPECT_EQ(std::string(results.backref(i).first, results.backref(i).second),
                          results.subject().substr(results.rstart(i), results.rlength(i)));
        }
    }
}

TEST(Substitute, StepLimitLeavesTheTextAlone) {
    regex::rpattern pattern("(?:(a|aa)*)[cd]", regex::flag_global);
    pattern.set_substitution("x");
    regex::subst_results results;
    std::string text = "c" + std::string(40, 'a');
    regex::match_limits limits;
    limits.steps = 100000;
    EXPECT_THROW(pattern.substitute(text, results, 0, std::string::npos, limits), regex::match_limit_exceeded);
    EXPECT_EQ(text, "c" + std::string(40, 'a'));
}

}  // namespace
