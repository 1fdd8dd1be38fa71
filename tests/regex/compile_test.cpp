// What the compiler builds: the node chain of each pattern (see dump.h), its
// width and anchoring, and the exact message of every malformed pattern.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "regex/bad_regexpr.h"
#include "regex/rpattern.h"

namespace {

struct CompileCase {
    const char* pattern;
    regex::RegexFlags flags;
    const char* nodes;
};

void CheckNodes(const std::vector<CompileCase>& cases) {
    for (const CompileCase& c : cases) {
        const regex::rpattern compiled(c.pattern, c.flags);
        EXPECT_EQ(compiled.dump(), c.nodes) << c.pattern;
    }
}

TEST(CompileTable, LiteralRunsAndTheirQuantifiers) {
    CheckNodes({
        {"abc", 0, R"(group 0 {"abc"} end)"},
        {"a", 0, "group 0 {'a'} end"},
        {"abc*", 0, R"(group 0 {"ab" max{0,inf} {'c'}} end)"},   // the run's last character takes the quantifier
        {"ab{2,5}?c", 0, R"(group 0 {'a' min{2,5} {'b'} 'c'} end)"},
        {"a b # c\n d", regex::flag_extended, R"(group 0 {"abd"} end)"},
        {R"(\Q(a)\E)", 0, R"*(group 0 {"(a)"} end)*"},
        {"a(?#c)b", 0, "group 0 {'a' 'b'} end"},
        {"abc", regex::flag_ignore_case, R"(group 0 {"abc"i} end)"},
        {"a12", regex::flag_ignore_case, R"(group 0 {"a12"i} end)"},
        {"12", regex::flag_ignore_case, R"(group 0 {"12"} end)"},  // nothing to fold
        {"x", regex::flag_ignore_case, "group 0 {'x'i} end"},
        {"a{x", 0, R"(group 0 {"a{x"} end)"},
    });
}

TEST(CompileTable, GroupsAndRepetition) {
    CheckNodes({
        {"a|b", 0, "group 0 {'a' | 'b'} end"},
        {"a|", 0, "group 0 {'a' | } end"},
        // Simple alternatives of one fixed width repeat as an atom; others loop.
        {"(a|b)*", 0, "group 0 {max{0,inf} {group 1 {'a' | 'b'}}} end"},
        {"(a|bc)*", 0, R"(group 0 {loop-max{0,inf} {group 1 {'a' | "bc"}}} end)"},
        {"(?:ab)+?", 0, R"(group 0 {min{1,inf} {group 1 {"ab"}}} end)"},
        {"(?:a{2})*", 0, "group 0 {max{0,inf} {group 1 {max{2,2} {'a'}}}} end"},
        {"(a*)*", 0, "group 0 {loop-max{0,inf} {group 1 {max{0,inf} {'a'}}}} end"},
        {"((a))*", 0, "group 0 {loop-max{0,inf} {group 1 {group 2 {'a'}}}} end"},
        {"(?i)abc", 0, R"(group 0 {group 1 {} "abc"} end)"},
        {"(?i:ab1)", 0, R"(group 0 {group 1 {"ab1"i}} end)"},
        {"(?>a+)", 0, "group 0 {atomic {group 1 {max{1,inf} {'a'}}}} end"},
        {"(?>a)*", 0, "group 0 {loop-max{0,inf} {atomic {group 1 {'a'}}}} end"},
        {"(?R)", 0, "group 0 {recurse} end"},
    });
}

TEST(CompileTable, SetsEscapesAndAssertions) {
    CheckNodes({
        {R"(\d+)", 0, "group 0 {max{1,inf} {[0-9]}} end"},
        {"[^a]", 0, "group 0 {[^a]} end"},
        {"[a-cx]", 0, "group 0 {[a-cx]} end"},
        {"[a-c]", regex::flag_ignore_case, "group 0 {[A-Ca-c]} end"},
        {R"([\W\d])", 0, "group 0 {[^A-Z_a-z]} end"},
        {R"(\w\W\s)", 0, R"(group 0 {[0-9A-Z_a-z] [^0-9A-Z_a-z] [\x09-\x0d ]} end)"},
        {"a.b", 0, "group 0 {'a' any-but-lf 'b'} end"},
        {"a.b", regex::flag_single_line, "group 0 {'a' any 'b'} end"},
        {R"(\bx\B$\A\Z\z)", 0, R"(group 0 {\b 'x' \B peos bos peos eos} end)"},
        {"^a$", regex::flag_multiline, "group 0 {bol 'a' eol} end"},
        {"(?=a)b", 0, "group 0 {(?= {'a'} 'b'} end"},
        {"(?<!a|bc)b", 0, R"(group 0 {(?<! {'a' | "bc"} 'b'} end)"},
        {"(?!)", 0, "group 0 {(?! {}} end"},
    });
}

TEST(CompileTable, ReferencesAndConditionals) {
    CheckNodes({
        {R"((a)\1)", 0, R"(group 0 {group 1 {'a'} \1=group 1} end)"},
        {R"((?:x)(y)\1)", 0, R"(group 0 {group 1 {'x'} group 2 {'y'} \1=group 2} end)"},
        {R"((a)\1)", regex::flag_ignore_case, R"(group 0 {group 1 {'a'i} \1=group 1i} end)"},
        {"(a)?(?(1)b|c)", 0, "group 0 {max{0,1} {group 1 {'a'}} cond 2 on group 1 {'b' | 'c'}} end"},
        {"(?(?=a)ab|c)", 0, R"(group 0 {cond 1 on {(?= {'a'} | "ab" | 'c'}} end)"},
        {"(?(?<!a)b)", 0, "group 0 {cond 1 on {(?<! {'a'} | 'b' | }} end"},
    });
}

TEST(CompileTable, WidthsAndAnchoring) {
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
        {"(?=abc)a", 0, 1, 1, false},
        {"a{1000000000}b{1000000000}", 0, 2000000000, 2000000000, false},
        {"^a", 0, 1, 1, true},
        {R"(\Aa)", 0, 1, 1, true},
        {"^a|b", 0, 1, 1, false},
        {"^a", regex::flag_multiline, 1, 1, false},
        {"(^a)", 0, 1, 1, false},
        {".*x", regex::flag_single_line, 1, inf, true},
        {".+?x", regex::flag_single_line, 2, inf, true},
        {".*x", 0, 1, inf, false},                              // . stops at line feeds
        {".*x", regex::flag_single_line | regex::flag_rightmost, 1, inf, false},
        {".?x", regex::flag_single_line, 1, 2, false},
        {"(?s).*x", 0, 1, inf, false},
    };
    for (const auto& c : cases) {
        const regex::rpattern compiled(c.pattern, c.flags);
        EXPECT_EQ(compiled.min_width(), c.min) << c.pattern;
        EXPECT_EQ(compiled.max_width(), c.max) << c.pattern;
        EXPECT_EQ(compiled.anchored(), c.anchored) << c.pattern;
    }
    // Anchoring drops the right-to-left search, which could only find the same match.
    EXPECT_EQ(regex::rpattern("^a", regex::flag_rightmost).flags() & regex::flag_rightmost, 0u);
}

TEST(CompileTable, GroupCounts) {
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
        {")", 0, "mismatched parenthesis"},
        {"a)b", 0, "mismatched parenthesis"},
        {"(a", 0, "mismatched parenthesis"},
        {"(?:a", 0, "mismatched parenthesis"},
        {"((a)", 0, "mismatched parenthesis"},
        {R"(\E)", 0, "quotemeta turned off, but was never turned on"},
        {R"(\Qa\E\E)", 0, "quotemeta turned off, but was never turned on"},
        {R"(a\c)", 0, R"(incomplete escape sequence \c)"},
        {"*a", 0, "quantifier not expected"},
        {"+", 0, "quantifier not expected"},
        {"a**", 0, "quantifier not expected"},
        {"a{2}{3}", 0, "quantifier not expected"},
        {"^*", 0, "quantifier not expected"},
        {"$+", 0, "quantifier not expected"},
        {R"(\b+)", 0, "quantifier not expected"},
        {R"(\A?)", 0, "quantifier not expected"},
        {"(?=a)*", 0, "quantifier not expected"},
        {"(?<!a){2}", 0, "quantifier not expected"},
        {"(?R)*", 0, "quantifier not expected"},
        {"a(?#c)*", 0, "quantifier not expected"},
        {"a|*", 0, "quantifier not expected"},
        {"(*)", 0, "quantifier not expected"},
        {"{2}", 0, "quantifier not expected"},
        {"a* ?", regex::flag_extended, "quantifier not expected"},
        {"a{3,2}", 0, "Can't do {n, m} with n > m"},
        {"a{3,2}?", 0, "Can't do {n, m} with n > m"},
        {"?a", 0, "ill-formed regular expression"},
        {" ?a", regex::flag_extended, "ill-formed regular expression"},
        {"(?", 0, "ill-formed regular expression"},
        {"(?i", 0, "ill-formed regular expression"},
        {"(?i-", 0, "ill-formed regular expression"},
        {"(?:", 0, "ill-formed regular expression"},
        {"(?<", 0, "ill-formed regular expression"},
        {"(?<=", 0, "ill-formed regular expression"},
        {"(?R", 0, "ill-formed regular expression"},
        {"(?(", 0, "ill-formed regular expression"},
        {"(?(1", 0, "ill-formed regular expression"},
        {"(?(1)", 0, "ill-formed regular expression"},
        {"(?(?=", 0, "ill-formed regular expression"},
        {"(?Q)", 0, "bad extension sequence"},
        {"(?)", 0, "bad extension sequence"},
        {"(?i-m-s)", 0, "bad extension sequence"},
        {"(?ik)", 0, "bad extension sequence"},
        {"(?Rx)", 0, "bad extension sequence"},
        {"(?<x)", 0, "bad extension sequence"},
        {"(?(x)a)", 0, "bad extension sequence"},
        {"(?(1a)b)", 0, "bad extension sequence"},
        {"(?(?:a)b)", 0, "bad extension sequence"},
        {"(?#note", 0, "Expecting end of comment"},
        {R"((?#a\))", 0, "Expecting end of comment"},
        {"(?(1)a|b|c)", 0, "Too many alternates in conditional subexpression"},
        {"(?(?=x)a|b|c)", 0, "Too many alternates in conditional subexpression"},
        {R"((a)\2)", 0, "reference to nonexistent group"},
        {R"(\1)", 0, "reference to nonexistent group"},
        {R"((?:a)\2)", 0, "reference to nonexistent group"},
        {R"(\8)", 0, "reference to nonexistent group"},
        {"(?(2)a)", 0, "reference to nonexistent group"},
        {"[z-a]", 0, "invalid range specified in character set"},
        {R"([\x62-a])", 0, "invalid range specified in character set"},
        {"[a--]", 0, "invalid range specified in character set"},
        {"[abc", 0, "expecting end of character set"},
        {"[a[", 0, "expecting end of character set"},
        {"[", 0, "expecting end of character set"},
        {"[]", 0, "expecting end of character set"},
        {"[^]", 0, "expecting end of character set"},
        {"[a-", 0, "expecting end of character set"},
        {R"([\)", 0, "expecting end of character set"},
        {R"([\c)", 0, "expecting end of character set"},
        {"[[:alpha:", 0, "expecting end of character set"},
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

TEST(BadPatterns, AreInvalidArguments) {
    EXPECT_THROW(regex::rpattern("("), std::invalid_argument);
    EXPECT_THROW(regex::rpattern("("), std::logic_error);
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
