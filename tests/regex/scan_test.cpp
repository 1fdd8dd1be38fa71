// The scans the search relies on, checked against the plainest search that
// answers the same question, over random texts and ranges: the vector loops
// have block edges, short tails and two directions to get wrong. Each scan
// is checked with SSE2 alone and, where the processor has it, with AVX2.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "cpu/features.h"
#include "regex/byte_finder.h"
#include "regex/charset.h"
#include "regex/literal_finder.h"
#include "tests/regex/random_cases.h"

namespace {

// Few letters, so occurrences are common; NUL and 0xFF are the byte range's ends.
constexpr char kAlphabet[] = {'a', 'b', 'A', 'B', 'x', '\0', '\xff'};
// Long enough for several of the widest steps, and their tails.
constexpr std::size_t kLongestText = 300;

class RandomScans : public regex_test::RandomCases {
public:
    using RandomCases::RandomCases;

    std::string Text(std::size_t max_length) {
        std::string text(Below(max_length + 1), ' ');
        for (char& c : text) c = kAlphabet[Below(sizeof kAlphabet)];
        return text;
    }

    // Ranges [first, last) of a text of this length: the whole text and some at random.
    std::vector<std::pair<std::size_t, std::size_t>> Ranges(std::size_t length) {
        std::vector<std::pair<std::size_t, std::size_t>> ranges{{0, length}};
        for (int i = 0; i < 30; ++i) {
            const std::size_t first = Below(length + 1);
            ranges.emplace_back(first, first + Below(length - first + 1));
        }
        return ranges;
    }
};

// The vector widths this processor can scan with.
std::vector<bool> Widths() {
    return cpu::Has(cpu::Feature::kAvx2) ? std::vector<bool>{false, true} : std::vector<bool>{false};
}

// finder.find and find_last must answer, on every range, the first and last
// position where occurs(position, range end) holds.
template <class Finder, class Occurs>
void ExpectNaiveAnswers(const Finder& finder, const std::string& text, RandomScans& scans, Occurs occurs,
                        const std::string& what) {
    for (const auto& [begin, end] : scans.Ranges(text.size())) {
        const char* first = text.data() + begin;
        const char* last = text.data() + end;
        const char* expected_first = last;
        const char* expected_last = nullptr;
        for (const char* at = first; at != last; ++at) {
            if (!occurs(at, last)) continue;
            if (expected_first == last) expected_first = at;
            expected_last = at;
        }
        ASSERT_EQ(finder.find(first, last), expected_first) << what << ", range " << begin << "-" << end;
        ASSERT_EQ(finder.find_last(first, last), expected_last) << what << ", range " << begin << "-" << end;
    }
}

TEST(LiteralFinder, FindsWhatANaiveSearchFinds) {
    RandomScans scans(20240611);
    for (int round = 0; round < 400; ++round) {
        const bool nocase = scans.Below(2) == 1;
        std::string needle = scans.Text(5);
        if (needle.empty()) needle = "a";
        const std::string text = scans.Text(kLongestText);
        const auto occurs = [&](const char* at, const char* last) {
            if (static_cast<std::size_t>(last - at) < needle.size()) return false;
            for (std::size_t i = 0; i < needle.size(); ++i) {
                const auto c = static_cast<unsigned char>(at[i]), n = static_cast<unsigned char>(needle[i]);
                if (nocase ? regex::detail::to_lower(c) != regex::detail::to_lower(n) : c != n) return false;
            }
            return true;
        };
        for (bool wide : Widths())
            ExpectNaiveAnswers(regex::detail::literal_finder(needle, nocase, wide), text, scans, occurs,
                               "round " + std::to_string(round) + (wide ? ", wide" : ""));
    }
}

TEST(ByteFinder, FindsWhatANaiveSearchFinds) {
    RandomScans scans(7);
    for (int round = 0; round < 400; ++round) {
        // One to three members are compared in vectors, more looked up in the table.
        regex::detail::char_table set;
        const std::size_t members = 1 + scans.Below(5);
        for (std::size_t i = 0; i < members; ++i) set.set(static_cast<unsigned char>(kAlphabet[scans.Below(sizeof kAlphabet)]));
        const std::string text = scans.Text(kLongestText);
        const auto occurs = [&](const char* at, const char*) { return set.test(static_cast<unsigned char>(*at)); };
        for (bool wide : Widths())
            ExpectNaiveAnswers(regex::detail::byte_finder(set, wide), text, scans, occurs,
                               "round " + std::to_string(round) + (wide ? ", wide" : ""));
    }
}

}  // namespace
