// RegexMatch and RegexSubstitute as callers see them: argument checks, the
// allocator protocol, the result lists of the flags, and the output buffer.
// Under Wine every case also runs through ReRidu.dll's exports.
#include <gtest/gtest.h>

#include <string>

#include "regex/flags.h"
#include "tests/regex/entry_harness.h"

namespace {

using namespace std::string_literals;

constexpr unsigned G = regex::flag_global;
constexpr unsigned FIRST = regex::flag_first_backrefs;
constexpr unsigned ALL = regex::flag_all_backrefs;

class RegexEntryTest : public ::testing::TestWithParam<RegexEntryPoints> {
protected:
    const RegexEntryPoints& entry() const { return GetParam(); }
};

// "2: 1+2 2+1": true, one request for two spans, offset+length of each.
TEST_P(RegexEntryTest, MatchHandsBackTheSpansTheFlagsAskFor) {
    const struct {
        std::string pattern;
        unsigned flags;
        std::string text;
        const char* outcome;
    } cases[] = {
        {"b(c)", 0, "abcd", "2: 1+2 2+1"},
        {"(?:x)(?>y)(?(1)a|z)(?=(q))", 0, "xyzq", "2: 0+3 3+1"},  // capturing groups only
        {"a\0(b)"s, 0, "\0a\0b"s, "2: 1+3 3+1"},
        {"B(C)", regex::flag_ignore_case, "abcd", "2: 1+2 2+1"},
        {"a", 0xFFFFF000u, "ba", "1: 1+1"},  // unknown bits are ignored
        {"x", 0, "abcd", "false"},
        {"(a)|b", 0, "xb", "2: 1+1 0+0"},    // a group that did not take part spans nothing
        {"(a", 0, "a", "false"},
        {"[z-a]", 0, "a", "false"},
        {"a", G | FIRST, "aXaXa", "3: 0+1 2+1 4+1"},
        {"a(X)?", G, "aXa", "2: 2+1 0+0"},  // the last match's records
        {"a(X)?", G | ALL, "aXa", "4: 0+2 1+1 2+1 0+0"},
        {"a(X)?", G | FIRST | ALL, "aXa", "2: 0+2 2+1"},
        {"x*", G | FIRST, "ab", "3: 0+0 1+0 2+0"},
        {"a", FIRST, "aXa", "1: 0+1"},  // only with flag_global
        {"z", G | FIRST, "aXa", "false"},
    };
    for (const auto& c : cases) EXPECT_EQ(MatchOutcome(entry(), c.pattern, c.flags, c.text), c.outcome) << c.pattern;
}

TEST_P(RegexEntryTest, NothingReachesTheEngineWithoutTextOrPattern) {
    SpanStore store;
    EXPECT_FALSE(entry().match("abc", 0, "a", 1, &store, 0));
    EXPECT_FALSE(entry().match("abc", 3, "a", 0, &store, 0));
    EXPECT_FALSE(entry().match(nullptr, 3, "a", 1, &store, 0));
    EXPECT_FALSE(entry().match("abc", 3, nullptr, 1, &store, 0));
    EXPECT_FALSE(entry().match("abc", -1, "a", 1, &store, 0));
    EXPECT_FALSE(entry().match("abc", 3, "a", -1, &store, 0));
    EXPECT_FALSE(entry().match("abc", 3, "a", 1, nullptr, 0));
    EXPECT_TRUE(store.requests().empty());

    char out[8] = "fill";
    unsigned length = sizeof out;
    EXPECT_EQ(entry().substitute("abc", 0, "a", 1, "x", 1, out, &length, 0), 0);
    EXPECT_EQ(entry().substitute("abc", 3, "a", 0, "x", 1, out, &length, 0), 0);
    EXPECT_EQ(entry().substitute(nullptr, 3, "a", 1, "x", 1, out, &length, 0), 0);
    EXPECT_EQ(entry().substitute("abc", 3, nullptr, 1, "x", 1, out, &length, 0), 0);
    EXPECT_EQ(entry().substitute("abc", -3, "a", 1, "x", 1, out, &length, 0), 0);
    EXPECT_EQ(entry().substitute("abc", 3, "a", 1, "x", -1, out, &length, 0), 0);
    EXPECT_EQ(entry().substitute("abc", 3, "a", 1, nullptr, 1, out, &length, 0), 0);
    EXPECT_EQ(length, sizeof out);
    EXPECT_STREQ(out, "fill");
}

TEST_P(RegexEntryTest, AnAllocatorWithoutStorageMakesTheMatchFail) {
    SpanStore store;
    store.refuse();
    EXPECT_FALSE(entry().match("abc", 3, "b", 1, &store, 0));
    ASSERT_EQ(store.requests().size(), 1u);
    EXPECT_EQ(store.requests()[0], 1);
}

// "count length 'text'": what RegexSubstitute returned, the length it
// left, and what it wrote into a buffer of `capacity` bytes.
TEST_P(RegexEntryTest, TheOutputBufferGetsExactlyTheRewrittenBytes) {
    const struct {
        const char* pattern;
        unsigned flags;
        const char* replacement;
        const char* text;
        unsigned capacity;
        const char* outcome;
    } cases[] = {
        {"a", 0, "bb", "aXa", 16, "1 4 'bbXa'"},
        {"a", G, "bb", "aXa", 16, "2 5 'bbXbb'"},
        {"a", 0, "bb", "aXa", 3, "1 4 untouched"},  // too small: the length needed
        {"a", 0, "bb", "aXa", 4, "1 4 'bbXa'"},     // exactly the size: no NUL after it
        {"a+", 0, "", "aaa", 8, "1 0 untouched"},   // every match deleted
        {"q", G, "x", "abc", 8, "0 8 untouched"},
        {"(a)", 0, "$", "a", 8, "0 8 untouched"},   // malformed replacements and patterns
        {"(a)", 0, "$2", "a", 8, "0 8 untouched"},
        {"(a)", 0, "\\", "a", 8, "0 8 untouched"},
        {"(a", 0, "x", "a", 8, "0 8 untouched"},
    };
    for (const auto& c : cases) {
        const SubstOutcome o = SubstituteOutcome(entry(), c.pattern, c.flags, c.replacement, c.text, c.capacity);
        EXPECT_EQ(std::to_string(o.count) + " " + std::to_string(o.outLength) + " " +
                      (o.untouched ? "untouched" : "'" + o.written + "'"),
                  c.outcome)
            << c.pattern << " " << c.replacement << " " << c.capacity;
    }
    EXPECT_EQ(Rewritten(entry(), "(\\w+) (\\w+)", 0, "$2 $1", "hello world"), "world hello");
    EXPECT_EQ(Rewritten(entry(), "(\\w+)", G, "\\u\\L$1", "hELLO wORLD"), "Hello World");
    // NUL bytes are text like any other, in the subject and in the replacement.
    EXPECT_EQ(Rewritten(entry(), "X", G, "\0\0"s, "a\0XbX\0"s), "a\0\0\0b\0\0\0"s);
}

TEST_P(RegexEntryTest, OnlyTheOutputArgumentsGivenAreWritten) {
    unsigned length = 8;
    char out[8] = {};
    EXPECT_EQ(entry().substitute("banana", 6, "a", 1, nullptr, 0, out, &length, G), 3) << "an empty replacement";
    EXPECT_EQ(std::string(out, length), "bnn");
    length = 100;
    EXPECT_EQ(entry().substitute("aXa", 3, "a", 1, "b", 1, nullptr, &length, G), 2);
    EXPECT_EQ(length, 3u);
    char kept[4] = "abc";
    EXPECT_EQ(entry().substitute("aXa", 3, "a", 1, "b", 1, kept, nullptr, G), 2);
    EXPECT_STREQ(kept, "abc");
}

TEST_P(RegexEntryTest, MatchesFarDeeperThanTheStack) {
    // The recursive matcher hands over before the caller's stack runs out.
    std::string text;
    for (int i = 0; i < 300000; ++i) text += "ab";
    EXPECT_EQ(MatchOutcome(entry(), "(a|b)*", 0, text), "2: 0+600000 599999+1");
    EXPECT_EQ(Rewritten(entry(), "(a|b)*$", 0, "[$1]", text), "[b]");
}

INSTANTIATE_TEST_SUITE_P(Direct, RegexEntryTest, ::testing::Values(DirectEntryPoints()),
                         [](const auto&) { return std::string("direct"); });
#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(Dll, RegexEntryTest, ::testing::Values(ExportedEntryPoints()),
                         [](const auto&) { return std::string("exports"); });
#endif

}  // namespace
