#pragma once
// Runs patterns and writes what happened as short text, so tables of cases
// read like the patterns they test:
//   "0-4 0-1 -"   record 0 spans [0,4), record 1 [0,1), record 2 did not match
//   "nomatch"     record 0 did not match
//   "error: ..."  the pattern did not compile, with the message

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "regex/flags.h"
#include "regex/rpattern.h"

namespace regex_test {

inline constexpr unsigned kModes[] = {regex::mode_recursive, regex::mode_iterative, regex::mode_mixed};

std::string ModeName(unsigned mode);
// Names a test instantiated over the modes.
std::string ModeParamName(const ::testing::TestParamInfo<unsigned>& mode);

// Every record the search kept, over a std::string text.
std::string Spans(const std::string& pattern, regex::RegexFlags flags, unsigned mode, const std::string& subject,
                  const regex::match_limits& limits = {});

// Spans, or "step limit" when the search needed more than `steps` steps.
std::string SpansWithin(const std::string& pattern, regex::RegexFlags flags, unsigned mode, const std::string& subject,
                        std::uint64_t steps);

// The same over character pointers, the text ending at its first NUL.
std::string CStringSpans(const std::string& pattern, regex::RegexFlags flags, unsigned mode, const char* subject);

// The records of a match as text (see above).
template <class It>
std::string Describe(const regex::basic_match_results<It>& results) {
    if (!results.matched(0)) return "nomatch";
    std::string out;
    for (std::size_t i = 0; i < results.cbackrefs(); ++i) {
        if (!out.empty()) out += ' ';
        out += results.matched(i) ? std::to_string(results.rstart(i)) + "-" +
                                        std::to_string(results.rstart(i) + results.rlength(i))
                                  : "-";
    }
    return out;
}

}  // namespace regex_test
