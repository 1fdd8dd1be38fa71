// What patterns match, feature by feature. Every table runs under all three
// matcher modes: the recursive and iterative engines must agree on every case.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/regex/regex_test_support.h"

namespace {

using namespace std::string_literals;
using regex_test::Spans;

constexpr regex::RegexFlags I = regex::flag_ignore_case;
constexpr regex::RegexFlags G = regex::flag_global;
constexpr regex::RegexFlags M = regex::flag_multiline;
constexpr regex::RegexFlags S = regex::flag_single_line;
constexpr regex::RegexFlags R = regex::flag_rightmost;
constexpr regex::RegexFlags FIRST = regex::flag_first_backrefs;
constexpr regex::RegexFlags ALL = regex::flag_all_backrefs;
constexpr regex::RegexFlags N = regex::flag_normalize;
constexpr regex::RegexFlags X = regex::flag_extended;

struct MatchCase {
    std::string pattern;
    regex::RegexFlags flags;
    std::string subject;
    const char* expected;
};

class MatchTest : public ::testing::TestWithParam<unsigned> {
protected:
    // Over character pointers the text ends at its first NUL: a subject
    // without one must give the same answer there.
    void Check(const std::vector<MatchCase>& cases) {
        for (const MatchCase& c : cases) {
            EXPECT_EQ(Spans(c.pattern, c.flags, GetParam(), c.subject), c.expected)
                << "pattern " << c.pattern << ", flags " << std::hex << c.flags << ", subject \"" << c.subject << "\"";
            if (c.subject.find('\0') == std::string::npos) {
                EXPECT_EQ(regex_test::CStringSpans(c.pattern, c.flags, GetParam(), c.subject.c_str()), c.expected)
                    << "pattern " << c.pattern << " over pointers";
            }
        }
    }
};

TEST_P(MatchTest, LiteralsAndEscapes) {
    Check({
        {"abc", 0, "xxabcxx", "2-5"},
        {"a.c", S, "a\nc", "0-3"},
        {"\xe9+", 0, "x\xe9\xe9", "1-3"},
        {"a\0b"s, 0, "xa\0b"s, "1-4"},
        {R"(\e\x41\x4g\x)", 0, "\x1b" "A\x04g\0"s, "0-5"},
        {R"(\cA\ca\c[)", 0, "\x01\x01\x1b", "0-3"},
        {R"(\101\0\400\777)", 0, "A\0\0\xff"s, "0-4"},
        {R"(a\12b)", 0, "a\nb", "0-3"},                    // fewer than 12 groups: octal
        {R"(\18)", 0, "\x01" "8", "0-2"},                  // octal 1, then a literal 8
        {R"(\n\t\r\f\a)", N, "\n\t\r\f\a", "0-5"},
        {R"(\v)", N, "v", "0-1"},                           // \v is a control character only in classes
        {R"(a\)", 0, R"(a\)", "0-2"},                       // a trailing backslash is a backslash
        {R"(\Qa|b)", 0, "a|b", "0-3"},                      // a quotation without \E runs to the end
        {R"(\%\G\y)", 0, "%Gy", "0-3"},                     // unknown escapes stand for themselves
    });
}

TEST_P(MatchTest, Quantifiers) {
    Check({
        {"a{2,3}", 0, "aaaa", "0-3"},
        {"a{,2}", 0, "aaa", "0-2"},
        {"a{}", 0, "a", "0-0"},
        {"a{x", 0, "a{x", "0-3"},
        {"a{4294967295}", 0, "a{4294967295}", "0-13"},    // an all-ones count is no quantifier
        {"a{2,4294967295}", 0, "aaaa", "0-4"},             // an all-ones maximum is unbounded
        {"(ab){0}c", 0, "abc", "2-3 -"},
        {"(a?){3}x", 0, "x", "0-1 0-0"},
        {"(a*)*b", 0, "b", "0-1 0-0"},
        {"(a|)*b", 0, "aab", "0-3 2-2"},
        {R"((a)\1*)", 0, "aaaa", "0-4 0-1"},
        {R"((a)\1*?b)", 0, "aab", "0-3 0-1"},
        {R"((ab)\1)", 0, "aba", "nomatch"},                // the text ends inside the reference
        {R"((x?)\1*y)", 0, "y", "0-1 0-0"},
        {R"((?:(a)|b)\1c)", 0, "bc", "nomatch"},           // an unmatched group's backreference fails
        {R"((?:(a)|b)\1*c)", 0, "bc", "0-2 -"},            // ... and repeats no times
        // Backing off passes over counts that leave a character the successor cannot begin with.
        {"\\w+@\\w+\\.com", 0, "a@b x@y.com", "4-11"},
        {"(ab)*ab", 0, "ababab", "0-6 2-4"},
        {"x*\\b", 0, "xx y", "0-2"},
        {"[ab]*?(?:c|$)", 0, "abab", "0-4"},
    });
}

TEST_P(MatchTest, GroupsAlternationAndBackreferences) {
    Check({
        {"(a|ab)(c|bcd)(d*)", 0, "abcd", "0-4 0-1 1-4 4-4"},  // alternatives in order, not longest first
        {"(a)|b", 0, "b", "0-1 -"},
        {"((a)|b)+", 0, "ab", "0-2 1-2 0-1"},
        {"(a|(b))+", 0, "ba", "0-2 1-2 0-1"},
        {"()", 0, "x", "0-0 0-0"},
        {"", 0, "", "0-0"},
        {R"((?:x)(y)\1)", 0, "xyy", "0-3 1-2"},             // numbers count capturing groups only
        {R"((a)|b\1)", 0, "b", "nomatch"},
        {R"(()\1x)", 0, "x", "0-1 0-0"},
        {R"((\2two|(one))+)", 0, "oneonetwo", "0-9 3-9 0-3"},  // a reference to a later group
        {R"((a)(b)(c)(d)(e)(f)(g)(h)(i)(j)\10)", 0, "abcdefghijj",
         "0-11 0-1 1-2 2-3 3-4 4-5 5-6 6-7 7-8 8-9 9-10"},
    });
}

TEST_P(MatchTest, Anchors) {
    Check({
        {"^b", M, "a\nb", "2-3"},
        {"^", M, "a\n", "0-0"},
        {"a$", 0, "a\n", "0-1"},
        {"a$", 0, "a\nb", "nomatch"},
        {"a$", M, "a\nb", "0-1"},
        {"a\\Z", 0, "a\n", "0-1"},
        {"a\\z", 0, "a\n", "nomatch"},
        {"\\Ab", M, "a\nb", "nomatch"},
        {"b\\b", 0, "ab", "1-2"},
        {"\\B", 0, "", "0-0"},
        {"a^b", 0, "a^b", "nomatch"},
    });
}

TEST_P(MatchTest, LookAround) {
    Check({
        {"(?<=a)b$", 0, "ab", "1-2"},
        {"(?<!a|bc)d", 0, "bcd", "nomatch"},
        {"(?<=\\d+)x", 0, "a12x", "3-4"},       // unbounded look-behind
        {"(?=(a+))a*b\\1", 0, "baaabac", "3-6 3-4"},
        {"(?!(a)b)a(c)", 0, "ac", "0-2 - 1-2"},
        {"(?<=(a))b", 0, "ab", "1-2 0-1"},
        {"(?<=(ab|b))c\\1", 0, "abcb", "2-4 1-2"},  // the next start is tried when what follows fails
        {"(?:(?=a)\\w)+", 0, "aab", "0-2"},
        {"(?<=^|,)\\w", 0, "ab,cd", "0-1"},
    });
}

TEST_P(MatchTest, AtomicGroupsConditionalsAndRecursion) {
    Check({
        {"(?>a*)a", 0, "aaa", "nomatch"},
        {"(?>(a))b|(a)c", 0, "ac", "0-2 - 0-1"},  // records of an abandoned atomic group go back
        {"(?>a|ab)c", 0, "abc", "nomatch"},
        {"(a)?(?(1)b|c)", 0, "c", "0-1 -"},
        {"(a)?(b)?(?(2)c|d)", 0, "bc", "0-2 - 0-1"},  // the condition tests group 2
        {"(?(?<=a)b|c)", 0, "ab", "1-2"},
        {"(?(?=(a))a\\1|b)", 0, "aa", "0-2 0-1"},
        {"(?(?=(a))ab|a)", 0, "ac", "nomatch"},     // decided once: the no branch is not tried
        {"(?(?<=(a|ba))x|y)", 0, "bay", "nomatch"},
        {"(x)?(?(1)a|b)+", 0, "xaa", "0-3 0-1"},
        {R"(\((?:[^()]|(?R))*\))", 0, "x(a(b)c)y", "1-8"},
        {"(?R)", 0, "abc", "nomatch"},           // recursing with nothing consumed never ends
        {"a|(?R)b", 0, "b", "nomatch"},
        {"(a)(?:(?R)|b)", 0, "aab", "0-3 0-1"},  // the records come back after the recursion
    });
}

TEST_P(MatchTest, Flags) {
    Check({
        {"(?i)abc", 0, "ABC", "nomatch"},        // a bare modifier changes only its own empty group
        {"(?-i:a)b", I, "aB", "0-2"},
        {"(?i-i:a)", 0, "A", "nomatch"},
        {"(?s:.)", 0, "\n", "0-1"},
        {"(?x: a b )", 0, "ab", "0-2"},
        {"(?x)a b", 0, "ab", "nomatch"},
        {"a b # comment\n c", X, "abc", "0-3"},
        {"a\\ b", X, "a b", "0-3"},
        {"[ ]", X, " ", "0-1"},                   // white space counts inside classes
        {"a +", X, "aaa", "0-3"},
        {"(?#a\\)b)c", 0, "c", "0-1"},
        {"( ?: a )", X, "a", "error: quantifier not expected"},
        {"(? : a )", X, " a ", "1-2"},
        {"\\n", N, "\n", "0-1"},
        {"\\x41", I, "a", "0-1"},
        {"\\101", I, "a", "0-1"},
    });
}

TEST_P(MatchTest, CharacterSets) {
    Check({
        {"[]a]+", 0, "x]a]", "1-4"},
        {"[^]a]", 0, "]ab", "2-3"},
        {"[a-]+", 0, "-a-", "0-3"},
        {"[\\d-z]+", 0, "5-z", "0-3"},
        {"[--/]+", 0, "-./", "0-3"},
        {"[[:foo:]]", 0, "f]", "0-2"},
        {"[:alpha:]", 0, "h", "0-1"},             // without the outer brackets: a plain set
        {"[[:space:]]", 0, "a\x0b", "1-2"},
        {"[[:upper:]]", I, "q", "0-1"},
        {"[[:^lower:]]", I, "q1", "1-2"},
        {"[\\b]", 0, "a\bb", "1-2"},
        {"[\\x41-\\x43]", 0, "B", "0-1"},
        {"[\\x4142]", 0, "B", "0-1"},            // hex takes every digit, modulo 256
        {"[\\0101]", 0, "A", "0-1"},             // so does octal
        {"[\\cA\\e]+", 0, "\x01\x1b", "0-2"},
        {"[\\n\\v]+", N, "\n\x0b", "0-2"},
        {"[\\8\\9]+", 0, "89", "0-2"},
        {"[\xe0-\xff]+", 0, "a\xe9\xff", "1-3"},
    });
}

TEST_P(MatchTest, GlobalAndRightmostSearch) {
    Check({
        {"a*", G, "bbb", "3-3"},                          // the records of the last match
        {"a*", G | FIRST, "aXa", "0-1 1-1 2-3 3-3"},     // an empty match may follow a non-empty one
        {"(a)(b)?", G | ALL, "aab", "0-1 0-1 - 1-3 1-2 2-3"},
        {"(a)(b)?", G, "aab", "1-3 1-2 2-3"},
        {"\\b", G | FIRST, "ab cd", "0-0 2-2 3-3 5-5"},
        {"a|()", G | FIRST, "ab", "0-1 1-1 2-2"},
        {"c|", G | FIRST, "abc", "0-0 1-1 2-3 3-3"},
        {"a", G | FIRST | R, "aXa", "2-3"},
        {"x*", G | FIRST | R, "abc", "3-3"},
        {"b|", G | FIRST | R, "ab", "2-2"},
    });
}

TEST_P(MatchTest, SearchPlan) {
    // The scans for literals and characters that matches begin with or
    // contain, and for line starts, and the anchored single attempt must
    // find every start an attempt at each position would, in both
    // directions, across the blocks they scan at a time and up to the
    // text's last character.
    const std::string dots(40, '.');
    Check({
        {"needle", 0, std::string(300, 'n') + "needle", "300-306"},
        {"NEEDLE", I, "xxneedlx needle", "9-15"},
        {"\\bcat", 0, "concat cat", "7-10"},
        {"(?<=x)abc", 0, "abc xabc", "5-8"},
        {std::string(300, 'a') + "b", 0, std::string(301, 'a') + "b", "1-302"},
        {".*b", S, "a\nab", "0-4"},
        {".*b", 0, "a\nab", "2-4"},
        // A literal every match contains, at a fixed or bounded distance, or anywhere after the start.
        {"\\d{1,3}\\.\\d", 0, "1234.5" + dots, "1-6"},
        {"\\d{1,3}\\.\\d", 0, dots + "1234", "nomatch"},
        {"\\w+@\\w+", 0, dots + "ann" + dots + "a@b", "83-86"},
        {"(?:ab)+Zz", I, dots + "ABabzZ" + dots, "40-46"},
        {"x(?:ab|cd)yz", 0, dots + "xcdyz", "40-45"},
        {"[a-z]+ing\\b", R, "sing " + dots + " ringing bring", "55-59"},
        {"\\d+(?:px|em)", R, "1px 22em 3pt", "5-8"},
        {"b(?:c)?d", 0, std::string(31, 'b') + "d", "30-32"},
        // The literal the matches begin with, at the block edges and at the text's end.
        {"needle", 0, std::string(26, '.') + "needle", "26-32"},
        {"nEEdle", I, dots + "NeEDLE" + dots, "40-46"},
        {"needle", R, "needle" + dots + "needle" + dots, "46-52"},
        {"needle", R, "needle" + dots, "0-6"},
        {"a\\x00\\xffb", 0, dots + "a\0\xff" "b"s, "40-44"},
        // First characters: one to three of them, or a larger set.
        {"[xyz]\\d", R, "z9" + dots + "x", "0-2"},
        {"[a-f]\\d", 0, dots + "a" + dots + "f9", "81-83"},
        {"[a-f]\\d", R, "b1" + dots + "f9" + dots, "42-44"},
        // Line starts under flag_multiline.
        {"^b", M, "ab\nb", "3-4"},
        {"^b", M, dots + "b", "nomatch"},
        {"^\\s*def (\\w+)\\(", M, "x\n  def f(\n    def g(", "2-10 8-9"},
        {"^\\s*def (\\w+)\\(", M | R, "x\n  def f(\n    def g(", "11-21 19-20"},
        {"^(?:b|c)", M | R, "b\nxc" + dots, "0-1"},
        {"^a|^b", M, "xa\nxb\nb", "6-7"},
        // A word boundary first: only after a character of the other kind, or at the text's begin before a word.
        {"\\bab", 0, "cab" + dots + "ab", "43-45"},
        {"\\b-", 0, "a- -", "1-2"},
        {"\\b\\W", 0, "-a", "nomatch"},
        {"\\b\\w+", R, "ab cd" + dots, "3-5"},
        {"\\b\\W", R, "a-" + dots + "b", "1-2"},
    });
}

TEST_P(MatchTest, PointerTextEndsAtTheFirstNul) {
    const std::vector<MatchCase> cases = {
        {"b", 0, "ab\0b"s, "1-2"},
        {"b", R, "ab\0b"s, "1-2"},
        {"$", 0, "ab\0b"s, "2-2"},
        {"b\\z", 0, "ab\0b"s, "1-2"},
        {"a.*", 0, "abc\0def"s, "0-3"},
        {"a\0b"s, 0, "a\0b"s, "nomatch"},
    };
    for (const MatchCase& c : cases)
        EXPECT_EQ(regex_test::CStringSpans(c.pattern, c.flags, GetParam(), c.subject.c_str()), c.expected) << c.pattern;
}

INSTANTIATE_TEST_SUITE_P(AllModes, MatchTest, ::testing::ValuesIn(regex_test::kModes),
                         regex_test::ModeParamName);

}  // namespace
