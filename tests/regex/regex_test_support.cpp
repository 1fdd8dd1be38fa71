#include "tests/regex/regex_test_support.h"

#include "regex/bad_regexpr.h"

namespace regex_test {

std::string ModeName(unsigned mode) {
    switch (mode) {
        case regex::mode_recursive: return "recursive";
        case regex::mode_iterative: return "iterative";
        default: return "mixed";
    }
}

std::string ModeParamName(const ::testing::TestParamInfo<unsigned>& mode) { return ModeName(mode.param); }

std::string Spans(const std::string& pattern, regex::RegexFlags flags, unsigned mode, const std::string& subject,
                  const regex::match_limits& limits) {
    try {
        const regex::rpattern compiled(pattern, flags, mode);
        regex::match_results results;
        compiled.match(subject, results, 0, std::string::npos, limits);
        return Describe(results);
    } catch (const regex::bad_regexpr& e) {
        return std::string("error: ") + e.what();
    }
}

std::string SpansWithin(const std::string& pattern, regex::RegexFlags flags, unsigned mode, const std::string& subject,
                        std::uint64_t steps) {
    regex::match_limits limits;
    limits.steps = steps;
    try {
        return Spans(pattern, flags, mode, subject, limits);
    } catch (const regex::match_limit_exceeded&) {
        return "step limit";
    }
}

std::string CStringSpans(const std::string& pattern, regex::RegexFlags flags, unsigned mode, const char* subject) {
    try {
        const regex::rpattern_c compiled(pattern, flags, mode);
        regex::match_results_c results;
        compiled.match(subject, results);
        return Describe(results);
    } catch (const regex::bad_regexpr& e) {
        return std::string("error: ") + e.what();
    }
}

}  // namespace regex_test
