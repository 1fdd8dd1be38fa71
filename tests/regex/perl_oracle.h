#pragma once
// Perl as the oracle of the differential tests: one process per batch of
// cases, a line in and a line out per case.

#include <string>
#include <vector>

#include "regex/flags.h"

namespace regex_test {

inline constexpr const char* kPerl = "/usr/bin/perl";

// The bytes as lower-case hex digits: cases reach Perl as text, whatever their bytes.
std::string Hex(const std::string& bytes);

// The start of every script: byte-clean input and output, and
// compile_case(PATTERN, FLAGS), the pattern as a qr// under /a with the
// flags' i, m and s, or undef when Perl refuses it.
inline constexpr const char* kPerlPrelude = R"perl(
use strict;
no warnings;
binmode STDIN;
binmode STDOUT;
sub compile_case {
    my ($p, $f) = @_;
    my $mods = "a";
    $mods .= "i" if $f =~ /i/;
    $mods .= "m" if $f =~ /m/;
    $mods .= "s" if $f =~ /s/;
    return eval "qr/\$p/$mods";
}
)perl";

// The flags compile_case reads: "-" and then i, m and s for those set.
std::string FlagLetters(regex::RegexFlags flags);

// Runs kPerlPrelude and then script with one input line per entry of lines; returns Perl's output
// lines (no line ends). A failing run is reported to the running test.
std::vector<std::string> RunPerl(const std::string& script, const std::vector<std::string>& lines);

}  // namespace regex_test
