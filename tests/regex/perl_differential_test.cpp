// Random patterns and subjects, matched here in every mode and by Perl,
// must give the same spans. The generator stays where this engine and Perl
// mean the same thing. Left out, and why:
//   - bare inline modifiers such as (?i): here they change only their own
//     empty group, in Perl the rest of the enclosing group;
//   - \n, \t and the other control escapes: letters here unless
//     flag_normalize is set;
//   - a capturing group repeated with a minimum of 0 inside another repeated
//     group: Perl unsets it when its own quantifier repeated it no times,
//     here it keeps its earlier iteration's span;
//   - a repeated group whose body can match empty: the engines stop such
//     loops after different numbers of empty iterations;
//   - look-behind bodies of varying width, and backreferences in them, which
//     Perl mostly refuses; (?R) before anything is consumed, which it rejects;
//   - x mode (patterns hold no white space), {,n} (older Perls read it
//     literally), \Q...\E (Perl applies it to the pattern's text);
//   - captures inside negative look-arounds: Perl may leave them set from a
//     body that failed;
//   - conditionals with a branch that can match empty, and look-aheads whose
//     body can: Perl's start-class optimization skips starts where only the
//     empty match fits;
//   - a backreference followed by a digit, read as one number, where the
//     engines decide differently whether it is a reference or octal.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/regex/perl_oracle.h"
#include "tests/regex/random_cases.h"
#include "tests/regex/regex_test_support.h"

namespace {

// Draws patterns from the shared part of the two languages; flags and
// subjects come from RandomCases.
class PatternGenerator : public regex_test::RandomCases {
public:
    using RandomCases::RandomCases;

    std::string Pattern() {
        captures_ = 0;
        closed_.clear();
        return Alternation(0, false);
    }

private:
    // min_width receives a lower bound of what the result can match.
    std::string Alternation(int depth, bool in_loop, std::size_t& min_width) {
        std::string out;
        min_width = ~std::size_t{0};
        const std::size_t alternatives = Chance(3) ? 2 + Below(2) : 1;
        for (std::size_t i = 0; i < alternatives; ++i) {
            std::size_t w = 0;
            out += (i > 0 ? "|" : "") + Sequence(depth, in_loop, w);
            min_width = std::min(min_width, w);
        }
        return out;
    }
    std::string Alternation(int depth, bool in_loop) {
        std::size_t ignored = 0;
        return Alternation(depth, in_loop, ignored);
    }

    std::string Sequence(int depth, bool in_loop, std::size_t& min_width) {
        std::string out;
        min_width = 0;
        for (std::size_t atoms = 1 + Below(4); atoms > 0; --atoms) {
            std::size_t w = 0;
            out += Atom(depth, in_loop, min_width > 0, w);
            min_width += w;
        }
        return out;
    }

    // One character-wide atom, for look-behind bodies and plain repetition.
    std::string SingleCharacter() {
        return OneOf({"a", "b", "c", "A", "1", "-", ".", "\\d", "\\w", "\\s", "\\W", "[ab]", "[^a]", "[a-c]",
                      "[[:alpha:]]", "[[:digit:] ]", "\\.", "\\x61"});
    }

    std::string Quantifier() {
        std::string q = OneOf({"*", "+", "?", "{2}", "{1,2}", "{0,3}", "{2,}"});
        if (Chance(3)) q += '?';
        return q;
    }
    static bool MaySkip(const std::string& q) { return q[0] == '*' || q[0] == '?' || q.rfind("{0", 0) == 0; }

    bool AnyClosed() const { return std::find(closed_.begin(), closed_.end(), true) != closed_.end(); }
    // One of the capturing groups that have closed.
    std::size_t ClosedGroup() {
        std::vector<std::size_t> done;
        for (std::size_t i = 0; i < closed_.size(); ++i)
            if (closed_[i]) done.push_back(i + 1);
        return done[Below(done.size())];
    }

    std::string Atom(int depth, bool in_loop, bool consumed_before, std::size_t& min_width) {
        min_width = 0;
        switch (depth >= 3 ? Below(3) : Below(14)) {
            case 0:
            case 1:
            case 2: {
                std::string atom = SingleCharacter();
                const std::string q = Chance(3) ? Quantifier() : "";
                min_width = q.empty() || !MaySkip(q) ? 1 : 0;
                return atom + q;
            }
            case 3:
                return OneOf({"^", "$", "\\b", "\\B", "\\A", "\\z", "\\Z"});
            case 4:
            case 5:
            case 6: {
                // A group, capturing or not, maybe repeated.
                const bool capturing = negative_ == 0 && !Chance(3);
                const std::size_t first_capture = captures_;
                if (capturing) {
                    ++captures_;
                    closed_.push_back(false);
                }
                const bool repeated = Chance(2);
                const std::string body = Alternation(depth + 1, in_loop || repeated, min_width);
                if (capturing) closed_[first_capture] = true;
                std::string group = (capturing ? "(" : "(?:") + body + ")";
                if (repeated && min_width > 0) {
                    std::string q = Quantifier();
                    if (MaySkip(q) && in_loop && captures_ > first_capture) q = Chance(2) ? "+" : "{1,2}";
                    if (MaySkip(q)) min_width = 0;
                    group += q;
                }
                return group;
            }
            case 7: {
                std::size_t body_width = 0;
                const std::size_t which = Below(3);  // (?=, (?! or (?>
                negative_ += which == 1;
                const std::string body = Alternation(depth + 1, in_loop, body_width);
                negative_ -= which == 1;
                if (which == 2) min_width = body_width;
                return std::string(which == 0 ? "(?=" : which == 1 ? "(?!" : "(?>") + body + (which == 0 && body_width == 0 ? "a" : "") + ")";
            }
            case 8: {
                // Look-behind of one fixed width.
                std::string body;
                for (std::size_t n = 1 + Below(3); n > 0; --n) body += SingleCharacter();
                return (Chance(2) ? "(?<=" : "(?<!") + body + ")";
            }
            case 9:
                return AnyClosed() ? "(?:\\" + std::to_string(ClosedGroup()) + ")" : "a";
            case 10: {
                std::size_t w1 = 0, w2 = 0;
                const std::string condition = AnyClosed() && !Chance(3)
                                                  ? std::to_string(ClosedGroup())
                                                  : std::string(Chance(2) ? "?=" : "?!") + SingleCharacter();
                const std::string yes = Sequence(depth + 1, in_loop, w1) + (w1 == 0 ? "a" : "");
                const std::string no = Sequence(depth + 1, in_loop, w2) + (w2 == 0 ? "b" : "");
                min_width = 1;
                return "(?(" + condition + ")" + yes + "|" + no + ")";
            }
            case 11:
                return !consumed_before || depth > 1 || !Chance(2) ? "b" : "(?:(?R))?";
            case 12: {
                std::size_t w = 0;
                return (Chance(2) ? "(?i:" : "(?-i:") + Sequence(depth + 1, in_loop, w) + ")";
            }
            default:
                min_width = 1;
                return std::string(1, "abc"[Below(3)]);
        }
    }

    std::size_t captures_ = 0;  // capturing groups opened so far
    std::vector<bool> closed_;  // which of them have closed
    int negative_ = 0;          // negative look-arounds open around the current atom
};

TEST(PerlDifferential, RandomPatternsAgreeWithPerl) {
    PatternGenerator generator(20240611);
    std::vector<regex_test::PerlCase> cases;
    for (int i = 0; i < 4000; ++i) {
        const std::string pattern = generator.Pattern();
        const regex::RegexFlags flags = generator.Flags();
        for (int k = 0; k < 3; ++k)
            cases.push_back({pattern, flags, generator.Subject((flags & regex::flag_multiline) != 0), k == 2, {}});
    }
    const std::size_t compared = regex_test::CompareWithPerl(cases, [](const regex_test::PerlCase& c, unsigned mode) {
        const regex::RegexFlags global = c.global ? regex::flag_global | regex::flag_first_backrefs : 0;
        return regex_test::SpansWithin(c.pattern, c.flags | global, mode, c.subject, 2000000);
    });
    // Most generated patterns must be ones Perl accepts, or the test proves little.
    EXPECT_GT(compared, cases.size() * 2);
}

}  // namespace
