// Compiles arbitrary patterns under arbitrary flags and runs them on
// arbitrary subjects in every matcher mode, over std::string positions and
// over NUL-terminated text. The modes must give the same answer, errors
// included, whenever none of them ran out of its step allowance, and no
// record may end past the text. A NUL-terminated text is searched position
// by position, without the scans that let a bounded search pass over
// positions, so on a subject without a NUL the two must agree as well.
//
// Input: two bytes of flags, one byte of pattern length, the pattern, then
// the subject.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/regex/regex_test_support.h"

namespace {

constexpr std::size_t kMaxSubject = 2048;

void CheckAgreement(const std::vector<std::string>& answers) {
    const std::string* reference = nullptr;
    for (const std::string& answer : answers) {
        if (answer.find("past the text") != std::string::npos) std::abort();
        if (answer == "step limit") continue;
        if (reference != nullptr && answer != *reference) std::abort();
        reference = &answer;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const regex::RegexFlags flags = data[0] | (std::uint32_t{data[1]} << 8);
    const std::size_t pattern_length = data[2] < size - 3 ? data[2] : size - 3;
    const std::string pattern(reinterpret_cast<const char*>(data + 3), pattern_length);
    std::string subject(reinterpret_cast<const char*>(data + 3 + pattern_length), size - 3 - pattern_length);
    if (subject.size() > kMaxSubject) subject.resize(kMaxSubject);

    // Backtracking can take time exponential in the subject's length: each
    // input stays within a fraction of a second.
    regex::match_limits limits;
    limits.steps = 200000;
    std::vector<std::string> strings, cstrings;
    for (unsigned mode : regex_test::kModes) {
        strings.push_back(regex_test::Spans(pattern, flags, mode, subject, limits));
        cstrings.push_back(regex_test::CStringSpans(pattern, flags, mode, subject.c_str(), limits));
    }
    CheckAgreement(strings);
    CheckAgreement(cstrings);
    if (subject.find('\0') == std::string::npos)
        for (std::size_t i = 0; i < strings.size(); ++i) CheckAgreement({strings[i], cstrings[i]});
    return 0;
}
