// What the compiler works out about a pattern that callers can see: its
// widths, its anchoring and its groups, and the exact message of every
// malformed pattern.
#include <gtest/gtest.h>

#include <string>

#include "regex/bad_regexpr.h"
#include "regex/rpattern.h"

namespace {

TEST(CompileTable, WidthsAnchoringAndGroupCounts) {
    constexpr std::size_t inf = ~std::size_t{0};
    const struct {
        const char* pattern;
        regex::RegexFlags flags;
        std::size_t min, max;
        bool anchored;
    } cases[] = {
        {"abc*", 0, 2, inf, false},
        {"a{3}(b|c){2}", 0, 5, 5, false},
        {R"((a)\1)", 0, 2, 2, false},
        {R"(\1(a))", 0, 1, inf, false},          // a reference before its group: width unknown
        {R"((a\1))", 0, 1, inf, false},          // ... and inside it
        {"(a)?(?(1)bc|d)", 0, 1, 3, false},
        {"(?(1)ab)(x)", 0, 1, 3, false},
        {"a{1000000000}b{1000000000}", 0, 2000000000, 2000000000, false},
        {"^a", 0, 1, 1, true},
        {R"(\Aa)", 0, 1, 1, true},
        {"^a|b", 0, 1, 1, false},
        {"^a", regex::flag_multiline, 1, 1, false},
    };
    for (const auto& c : cases) {
        const regex::rpattern compiled(c.pattern, c.flags);
        EXPECT_EQ(compiled.min_width(), c.min) << c.pattern;
        EXPECT_EQ(compiled.max_width(), c.max) << c.pattern;
        EXPECT_EQ(compiled.anchored(), c.anchored) << c.pattern;
    }
    const regex::rpattern compiled("(a)(?:b)(?>c)(?(1)d)(?=(e))(?i)");
    EXPECT_EQ(compiled.group_count(), 7u);    // group 0, six more: (?=...) has no number
    EXPECT_EQ(compiled.capture_count(), 3u);  // group 0, (a), (e)
}

TEST(BadPatterns, RaiseTheirExactMessage) {
    const struct {
        const char* pattern;
        regex::RegexFlags flags;
        const char* message;
    } cases[] = {
        {"(", 0, "mismatched parenthesis"},
        {"(a", 0, "mismatched parenthesis"},
        {R"(\E)", 0, "quotemeta turned off, but was never turned on"},
        {R"(\Qa\E\E)", 0, "quotemeta turned off, but was never turned on"},
        {R"(a\c)", 0, R"(incomplete escape sequence \c)"},
        {"*a", 0, "quantifier not expected"},
        {"a{2}{3}", 0, "quantifier not expected"},
        {R"(\b+)", 0, "quantifier not expected"},
        {"(?R)*", 0, "quantifier not expected"},
        {"{2}", 0, "quantifier not expected"},
        {"a* ?", regex::flag_extended, "quantifier not expected"},
        {"a{3,2}", 0, "Can't do {n, m} with n > m"},
        {"?a", 0, "ill-formed regular expression"},
        {" ?a", regex::flag_extended, "ill-formed regular expression"},
        {"(?", 0, "ill-formed regular expression"},
        {"(?:", 0, "ill-formed regular expression"},
        {"(?(?=", 0, "ill-formed regular expression"},
        {"(?Q)", 0, "bad extension sequence"},
        {"(?i-m-s)", 0, "bad extension sequence"},
        {"(?(x)a)", 0, "bad extension sequence"},
        {"(?(?:a)b)", 0, "bad extension sequence"},
        {"(?#note", 0, "Expecting end of comment"},
        {R"((?#a\))", 0, "Expecting end of comment"},
        {"(?(1)a|b|c)", 0, "Too many alternates in conditional subexpression"},
        {R"(\1)", 0, "reference to nonexistent group"},
        {"(?(2)a)", 0, "reference to nonexistent group"},
        {"[z-a]", 0, "invalid range specified in character set"},
        {"[abc", 0, "expecting end of character set"},
        {"[]", 0, "expecting end of character set"},
        {R"([\)", 0, "expecting end of character set"},
        {R"([\c)", 0, "expecting end of character set"},
    };
    for (const auto& c : cases) {
        try {
            const regex::rpattern compiled(c.pattern, c.flags);
            ADD_FAILURE() << c.pattern << " compiled";
        } catch (const regex::bad_regexpr& e) {
            EXPECT_STREQ(e.what(), c.message) << c.pattern;
        }
    }
}

TEST(DeepNesting, CompilesAndDumpsWithoutRecursing) {
    // The compiler and the dump keep their own stacks: nesting costs heap, not call depth.
    const std::size_t depth = 100000;
    const std::string pattern = std::string(depth, '(') + "a" + std::string(depth, ')');
    const regex::rpattern compiled(pattern);
    EXPECT_EQ(compiled.capture_count(), depth + 1);
    const std::string nodes = compiled.dump();
    EXPECT_EQ(nodes.substr(0, 30), "group 0 {group 1 {group 2 {gro");
    EXPECT_EQ(nodes.substr(nodes.size() - 12), std::string("}}}}}}}} end"));
}

}  // namespace
