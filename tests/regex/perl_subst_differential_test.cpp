// Substitutions with random replacements over random subjects, once and
// globally, must rewrite the text as Perl's s/// and s///g do. Replacements
// stay where the two languages agree: group references, $&, $` and $', the
// case changes, and escaped characters. Left out, and why:
//   - \u and \l before anything but literal text: used up here by an empty
//     piece, while Perl lets them reach the next character;
//   - \u and \l inside a \U or \L run: here the one character is changed
//     after the run (\U\lab gives aB), Perl changes the whole text last;
//   - a \U or \L inside another: Perl nests them, here the new run replaces
//     the old;
//   - \Q: Perl quotes the text (adds backslashes), here it is literal;
//   - digits right after a group reference: Perl reads $12 as one number
//     whatever the group count.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "regex/rpattern.h"
#include "tests/regex/perl_oracle.h"
#include "tests/regex/random_cases.h"
#include "tests/regex/regex_test_support.h"

namespace {

// Patterns with groups that match or stay out, matches that can be empty,
// anchors and classes.
const char* const kPatterns[] = {
    "(a)(b)?",         "(\\w+)\\s*",    "a*",           "(x)?b*",        "\\b",           "(a|b)+",
    "([ab])\\1?",      "^(\\w)",        "(\\d+)|(a+)",  "(?:a|(b))c?",   "$",             "",
    "(?=a)",           "((a)b)?c",      "(A)(?i:b)",    "(\\W)(\\w)",    "[^ab]+",        "(.)(.)",
    "(b*)(a*)",        "(?<=a)(b|c)",   "\\s+|(-)",     "(a)|b|(c)",     "(?:(a)|\\d)+",  "(?i:a)(b)",
};

class ReplacementGenerator : public regex_test::RandomCases {
public:
    using RandomCases::RandomCases;

    std::string Replacement(unsigned capturing_groups) {
        std::string out;
        bool after_reference = false;  // literal text must not continue a $ token
        bool in_run = false;           // after \U or \L, before \E
        for (std::size_t tokens = Below(6); tokens > 0; --tokens) {
            switch (Below(9)) {
                case 0:
                case 1:
                    out += Literal(after_reference);
                    after_reference = false;
                    break;
                case 2:
                    if (capturing_groups == 0) break;
                    out += "$" + std::to_string(1 + Below(capturing_groups));
                    after_reference = true;
                    break;
                case 3:
                    out += OneOf({"$&", "$`", "$'"});
                    after_reference = true;
                    break;
                case 4:
                case 5: {
                    static const char* const runs[] = {"\\U", "\\L", "\\E"};
                    const std::size_t which = in_run ? 2 : Below(3);
                    out += runs[which];
                    in_run = which != 2;
                    break;
                }
                case 6:
                    if (in_run) break;
                    out += Chance(2) ? "\\u" : "\\l";
                    out += Literal(after_reference);
                    after_reference = false;
                    break;
                default:
                    out += OneOf({"\\\\", "\\$", "\\-", "\\."});
                    after_reference = false;
            }
        }
        return out;
    }

private:
    // Letters and punctuation that mean the same in both languages.
    std::string Literal(bool after_reference) {
        static const char alphabet[] = "xyzXYZ -.";
        std::string s = after_reference ? "-" : "";
        for (std::size_t n = 1 + Below(3); n > 0; --n) s += alphabet[Below(sizeof alphabet - 1)];
        return s;
    }
};

TEST(PerlSubstDifferential, RandomReplacementsAgreeWithPerl) {
    ReplacementGenerator generator(20240612);
    std::vector<regex_test::PerlCase> cases;
    for (int i = 0; i < 6000; ++i) {
        regex_test::PerlCase c;
        c.pattern = kPatterns[generator.Below(sizeof kPatterns / sizeof kPatterns[0])];
        c.flags = generator.Flags();
        c.subject = generator.Subject((c.flags & regex::flag_multiline) != 0);
        c.global = generator.Below(2) == 0;
        c.replacement = generator.Replacement(regex::rpattern(c.pattern).capture_count() - 1);
        cases.push_back(c);
    }
    const std::size_t compared = regex_test::CompareWithPerl(cases, [](const regex_test::PerlCase& c, unsigned mode) {
        const regex::RegexFlags global = c.global ? regex::flag_global : 0;
        return regex_test::Substituted(c.pattern, c.flags | global, mode, *c.replacement, c.subject);
    });
    EXPECT_GT(compared, cases.size() * 2);
}

}  // namespace
