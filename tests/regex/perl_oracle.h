#pragma once
// Perl as the oracle of the differential tests: one process per batch of
// cases, a line in and a line out per case.

#include <string>
#include <vector>

namespace regex_test {

inline constexpr const char* kPerl = "/usr/bin/perl";

// The bytes as lower-case hex digits: cases reach Perl as text, whatever their bytes.
std::string Hex(const std::string& bytes);

// Runs script with one input line per entry of lines; returns Perl's output
// lines (no line ends). A failing run is reported to the running test.
std::vector<std::string> RunPerl(const std::string& script, const std::vector<std::string>& lines);

}  // namespace regex_test
