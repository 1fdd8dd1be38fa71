#pragma once
// What the differential tests draw at random besides their patterns: short
// subjects over a small alphabet and the flags both languages share.

#include <cstddef>
#include <random>
#include <string>

#include "regex/flags.h"

namespace regex_test {

class RandomCases {
public:
    explicit RandomCases(unsigned seed) : random_(seed) {}

    std::size_t Below(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_); }
    bool Chance(std::size_t one_in) { return Below(one_in) == 0; }
    template <std::size_t N>
    const char* OneOf(const char* const (&choices)[N]) { return choices[Below(N)]; }

    // Mostly up to nine characters, at times up to seventy, so the scans
    // that pass over positions by blocks meet a block edge; never ending in
    // a line feed under flag_multiline, where Perl's ^ does not match after it.
    std::string Subject(bool multiline) {
        static const char alphabet[] = "aabbcAB1 -\n";
        std::string s(Chance(4) ? Below(71) : Below(10), ' ');
        for (char& c : s) c = alphabet[Below(sizeof alphabet - 1)];
        if (multiline && !s.empty() && s.back() == '\n') s.back() = 'a';
        return s;
    }

    regex::RegexFlags Flags() {
        regex::RegexFlags flags = 0;
        if (Chance(4)) flags |= regex::flag_ignore_case;
        if (Chance(4)) flags |= regex::flag_multiline;
        if (Chance(4)) flags |= regex::flag_single_line;
        return flags;
    }

private:
    std::mt19937 random_;
};

}  // namespace regex_test
