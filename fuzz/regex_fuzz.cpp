// Compiles arbitrary patterns under arbitrary flags and runs them on
// arbitrary subjects in every matcher mode, over std::string positions and
// over NUL-terminated text. The engines must agree whenever none of them ran
// out of its step allowance, and every span must lie inside the subject.
// A NUL-terminated text is searched position by position, without the scans
// that let a bounded search pass over positions, so on a subject without a
// NUL the two must agree as well.
//
// Input: two bytes of flags, one byte of pattern length, the pattern, then
// the subject.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "regex/bad_regexpr.h"
#include "regex/rpattern.h"

namespace {

constexpr std::size_t kMaxSubject = 2048;

// Keeps each input to a fraction of a second: backtracking can take time
// exponential in the subject's length.
regex::match_limits Limits() {
    regex::match_limits limits;
    limits.steps = 200000;
    return limits;
}

template <class It>
std::vector<std::size_t> Spans(const regex::basic_match_results<It>& results, std::size_t length) {
    std::vector<std::size_t> spans;
    for (std::size_t i = 0; i < results.cbackrefs(); ++i) {
        if (!results.matched(i)) {
            spans.push_back(~std::size_t{0});
            continue;
        }
        const std::size_t start = results.rstart(i);
        const std::size_t end = start + results.rlength(i);
        if (end < start || end > length) std::abort();
        spans.push_back(start);
        spans.push_back(end);
    }
    return spans;
}

// The spans of one run, or nothing when the step allowance ran out.
struct Outcome {
    bool limited = false;
    std::vector<std::size_t> spans;
};

Outcome RunString(const regex::rpattern& pattern, const std::string& subject) {
    Outcome outcome;
    try {
        regex::match_results results;
        const auto& whole = pattern.match(subject, results, 0, std::string::npos, Limits());
        if (whole.matched != results.matched(0)) std::abort();
        outcome.spans = Spans(results, subject.size());
    } catch (const regex::match_limit_exceeded&) {
        outcome.limited = true;
    }
    return outcome;
}

Outcome RunCString(const regex::rpattern_c& pattern, const std::string& subject) {
    Outcome outcome;
    try {
        regex::match_results_c results;
        pattern.match(subject.c_str(), results, Limits());
        outcome.spans = Spans(results, subject.find('\0') == std::string::npos ? subject.size() : subject.find('\0'));
    } catch (const regex::match_limit_exceeded&) {
        outcome.limited = true;
    }
    return outcome;
}

void CheckAgreement(const std::vector<Outcome>& outcomes) {
    const Outcome* reference = nullptr;
    for (const Outcome& o : outcomes) {
        if (o.limited) continue;
        if (reference == nullptr)
            reference = &o;
        else if (o.spans != reference->spans)
            std::abort();
    }
}

void CheckAgreement(const Outcome& one, const Outcome& other) { CheckAgreement(std::vector<Outcome>{one, other}); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const regex::RegexFlags flags = data[0] | (std::uint32_t{data[1]} << 8);
    const std::size_t pattern_length = data[2] < size - 3 ? data[2] : size - 3;
    const std::string pattern(reinterpret_cast<const char*>(data + 3), pattern_length);
    std::string subject(reinterpret_cast<const char*>(data + 3 + pattern_length), size - 3 - pattern_length);
    if (subject.size() > kMaxSubject) subject.resize(kMaxSubject);

    std::string error;
    std::vector<Outcome> strings, cstrings;
    for (unsigned mode : {regex::mode_recursive, regex::mode_iterative, regex::mode_mixed}) {
        try {
            const regex::rpattern compiled(pattern, flags, mode);
            (void)compiled.dump();
            strings.push_back(RunString(compiled, subject));
            const regex::rpattern_c compiled_c(pattern, flags, mode);
            cstrings.push_back(RunCString(compiled_c, subject));
        } catch (const regex::bad_regexpr& e) {
            // The compiler does not depend on the mode: every mode must refuse alike.
            if (mode != regex::mode_recursive && error != e.what()) std::abort();
            error = e.what();
        }
    }
    CheckAgreement(strings);
    CheckAgreement(cstrings);
    if (subject.find('\0') == std::string::npos)
        for (std::size_t i = 0; i < strings.size() && i < cstrings.size(); ++i) CheckAgreement(strings[i], cstrings[i]);
    return 0;
}
