#include "tests/regex/perl_oracle.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tests/regex/regex_test_support.h"

namespace regex_test {
namespace {

constexpr const char* kPerl = "/usr/bin/perl";

// The bytes as lower-case hex digits: cases reach Perl as text, whatever their bytes.
std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

// Reads "pattern subject flags global [replacement]" per line, all but the
// flags and global in hex, and prints one answer after another, each ended
// by a NUL.
constexpr const char* kPerlScript = R"perl(
use strict;
no warnings;
binmode DATA;
binmode STDOUT;
sub compile_case {
    my ($p, $f) = @_;
    $f =~ tr/-//d;
    return eval "qr/\$p/a$f";
}
sub spans {
    my ($re, $s, $g) = @_;
    return eval {
        local $SIG{ALRM} = sub { die "timeout\n" };
        alarm 5;
        my $r;
        if ($g) {
            my @m;
            while ($s =~ /$re/g) { push @m, "$-[0]-$+[0]"; }
            $r = @m ? join(" ", @m) : "nomatch";
        } elsif ($s =~ $re) {
            $r = join(" ", map { defined $-[$_] ? "$-[$_]-$+[$_]" : "-" } 0 .. $#+);
        } else {
            $r = "nomatch";
        }
        alarm 0;
        $r;
    };
}
sub substitute {
    my ($re, $s, $g, $r) = @_;
    my $count = eval "\$s =~ s/\$re/$r/" . ($g ? "g" : "");
    return undef if $@;
    return ($count || 0) . ":" . $s;
}
while (my $line = <DATA>) {
    chomp $line;
    my ($p, $s, $f, $g, $r) = split / /, $line, -1;
    my $re = compile_case(pack("H*", $p), $f);
    my $out;
    $out = defined $r ? substitute($re, pack("H*", $s), $g, pack("H*", $r)) : spans($re, pack("H*", $s), $g)
        if defined $re;
    print defined $out ? "$out\0" : "perl-error\0";  # texts may hold line feeds
}
)perl";

std::string FlagLetters(regex::RegexFlags flags) {
    std::string out = "-";
    if (flags & regex::flag_ignore_case) out += 'i';
    if (flags & regex::flag_multiline) out += 'm';
    if (flags & regex::flag_single_line) out += 's';
    return out;
}

// The cases follow the script after __END__, so one file holds the whole run.
std::vector<std::string> AskPerl(const std::vector<PerlCase>& cases) {
    const std::filesystem::path script =
        std::filesystem::temp_directory_path() / ("regex_perl_" + std::to_string(::getpid()) + ".pl");
    {
        std::ofstream out(script, std::ios::binary);
        out << kPerlScript << "__END__\n";
        for (const PerlCase& c : cases) {
            out << Hex(c.pattern) << ' ' << Hex(c.subject) << ' ' << FlagLetters(c.flags) << ' ' << c.global;
            if (c.replacement) out << ' ' << Hex(*c.replacement);
            out << '\n';
        }
    }
    std::string output;
    FILE* perl = ::popen((std::string(kPerl) + " " + script.string()).c_str(), "r");
    char block[4096];
    for (std::size_t n; perl != nullptr && (n = std::fread(block, 1, sizeof block, perl)) > 0;) output.append(block, n);
    EXPECT_TRUE(perl != nullptr && ::pclose(perl) == 0) << "running " << script;
    std::vector<std::string> answers;
    for (std::size_t start = 0, end; (end = output.find('\0', start)) != std::string::npos; start = end + 1)
        answers.push_back(output.substr(start, end - start));
    std::filesystem::remove(script);
    return answers;
}

}  // namespace

std::size_t CompareWithPerl(const std::vector<PerlCase>& cases, const OurAnswer& ours) {
    if (!std::filesystem::exists(kPerl)) {
        ADD_FAILURE() << "the differential tests need " << kPerl;
        return 0;
    }
    const std::vector<std::string> perl = AskPerl(cases);
    if (perl.size() != cases.size()) {
        ADD_FAILURE() << "Perl answered " << perl.size() << " of " << cases.size() << " cases";
        return 0;
    }
    std::size_t compared = 0;
    int failures = 0;
    for (std::size_t i = 0; i < cases.size() && failures < 20; ++i) {
        const PerlCase& c = cases[i];
        if (perl[i] == "perl-error") continue;
        for (unsigned mode : kModes) {
            const std::string answer = ours(c, mode);
            if (answer == "step limit") continue;
            ++compared;
            if (answer != perl[i]) {
                ++failures;
                ADD_FAILURE() << "pattern " << c.pattern << " flags " << FlagLetters(c.flags) << " subject \""
                              << c.subject << "\"" << (c.replacement ? " replacement " + *c.replacement : "")
                              << (c.global ? " global" : "") << " mode " << ModeName(mode) << ": ours " << answer
                              << ", perl " << perl[i];
                break;
            }
        }
    }
    return compared;
}

}  // namespace regex_test
