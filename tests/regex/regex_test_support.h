#pragma once
// Runs patterns and writes what happened as short text, so tables of cases
// read like the patterns they test:
//   "0-4 0-1 -"    record 0 spans [0,4), record 1 [0,1), record 2 did not match
//   "nomatch"      record 0 did not match
//   "error: ..."   the pattern did not compile, with the message
//   "step limit"   the search needed more steps than it was allowed
// The unit tests and the fuzz target share it, so it needs no test framework.

#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>

#include "regex/bad_regexpr.h"
#include "regex/flags.h"
#include "regex/rpattern.h"

namespace regex_test {

inline constexpr unsigned kModes[] = {regex::mode_recursive, regex::mode_iterative, regex::mode_mixed};

inline std::string ModeName(unsigned mode) {
    return mode == regex::mode_recursive ? "recursive" : mode == regex::mode_iterative ? "iterative" : "mixed";
}

// Names a test instantiated over the modes.
inline constexpr auto ModeParamName = [](const auto& info) { return ModeName(info.param); };

// The records of a match as text; a record that reaches past a text of
// `length` characters spoils the whole answer.
template <class It>
std::string Describe(const regex::basic_match_results<It>& results, std::size_t length = ~std::size_t{0}) {
    if (!results.matched(0)) return "nomatch";
    std::string out;
    for (std::size_t i = 0; i < results.cbackrefs(); ++i) {
        if (!out.empty()) out += ' ';
        if (!results.matched(i)) {
            out += '-';
            continue;
        }
        const std::size_t end = results.rstart(i) + results.rlength(i);
        if (end < results.rstart(i) || end > length) return "record " + std::to_string(i) + " ends past the text";
        out += std::to_string(results.rstart(i)) + "-" + std::to_string(end);
    }
    return out;
}

// Every record the search kept: Spans over a std::string, CStringSpans over
// character pointers, the text ending at its first NUL.
template <class It, class Text>
std::string SpansOver(const std::string& pattern, regex::RegexFlags flags, unsigned mode, const Text& subject,
                      std::size_t length, const regex::match_limits& limits) {
    try {
        const regex::basic_rpattern<It> compiled(pattern, flags, mode);
        regex::basic_match_results<It> results;
        if constexpr (std::is_same_v<It, const char*>)
            compiled.match(subject, results, limits);
        else
            compiled.match(subject, results, 0, std::string::npos, limits);
        return Describe(results, length);
    } catch (const regex::bad_regexpr& e) {
        return std::string("error: ") + e.what();
    } catch (const regex::match_limit_exceeded&) {
        return "step limit";
    }
}

inline std::string Spans(const std::string& pattern, regex::RegexFlags flags, unsigned mode,
                         const std::string& subject, const regex::match_limits& limits = {}) {
    return SpansOver<std::string::const_iterator>(pattern, flags, mode, subject, subject.size(), limits);
}

inline std::string CStringSpans(const std::string& pattern, regex::RegexFlags flags, unsigned mode,
                                const char* subject, const regex::match_limits& limits = {}) {
    return SpansOver<const char*>(pattern, flags, mode, subject, std::strlen(subject), limits);
}

// A substitution as "count:rewritten text", or "error: message".
template <class It = std::string::const_iterator>
std::string Substituted(const std::string& pattern, regex::RegexFlags flags, unsigned mode,
                        const std::string& replacement, std::string text) {
    try {
        regex::basic_rpattern<It> compiled(pattern, flags, mode);
        compiled.set_substitution(replacement);
        regex::basic_subst_results<It> results;
        const std::size_t count = compiled.substitute(text, results);
        return std::to_string(count) + ":" + text;
    } catch (const regex::bad_regexpr& e) {
        return std::string("error: ") + e.what();
    }
}

inline std::string SpansWithin(const std::string& pattern, regex::RegexFlags flags, unsigned mode,
                               const std::string& subject, std::uint64_t steps) {
    regex::match_limits limits;
    limits.steps = steps;
    return Spans(pattern, flags, mode, subject, limits);
}

}  // namespace regex_test
