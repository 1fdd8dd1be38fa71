#pragma once
// Perl as the oracle of the differential tests: every case goes to one Perl
// process (/usr/bin/perl) in a single batch, and each answer is compared
// with ours in every matcher mode.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "regex/flags.h"

namespace regex_test {

// A match, or with a replacement a substitution; global as m//g or s///g.
// Perl compiles the pattern as a qr// under /a with the flags' i, m and s:
// classes and case are ASCII only, like the C library's default locale.
struct PerlCase {
    std::string pattern;
    regex::RegexFlags flags = 0;
    std::string subject;
    bool global = false;
    std::optional<std::string> replacement;
};

// Perl answers a match with its spans as Spans writes them (with
// global, group 0 of every match), and a substitution with
// "count:rewritten text". Cases Perl refuses are skipped, and so are
// ours that ran out of steps. Reports the first disagreements to the running
// test and returns how many answers were compared.
using OurAnswer = std::function<std::string(const PerlCase& c, unsigned mode)>;
std::size_t CompareWithPerl(const std::vector<PerlCase>& cases, const OurAnswer& ours);

}  // namespace regex_test
