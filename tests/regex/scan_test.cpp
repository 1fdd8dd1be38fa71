// The scans the search relies on, checked against the plainest search that
// answers the same question, over random texts and ranges: the vector loops
// have block edges, short tails and two directions to get wrong.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "regex/byte_finder.h"
#include "regex/charset.h"
#include "regex/literal_finder.h"

namespace {

// Few letters, so occurrences are common; NUL and 0xFF are the byte range's ends.
constexpr char kAlphabet[] = {'a', 'b', 'A', 'B', 'x', '\0', '\xff'};

class RandomScans {
public:
    explicit RandomScans(unsigned seed) : random_(seed) {}

    std::size_t Below(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_); }

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

private:
    std::mt19937 random_;
};

bool Same(char a, char b, bool nocase) {
    if (!nocase) return a == b;
    return regex::detail::to_lower(static_cast<unsigned char>(a)) ==
           regex::detail::to_lower(static_cast<unsigned char>(b));
}

bool LiteralAt(const char* at, const std::string& needle, bool nocase) {
    for (std::size_t i = 0; i < needle.size(); ++i)
        if (!Same(at[i], needle[i], nocase)) return false;
    return true;
}

TEST(LiteralFinder, FindsWhatANaiveSearchFinds) {
    RandomScans scans(20240611);
    for (int round = 0; round < 400; ++round) {
        const bool nocase = scans.Below(2) == 1;
        std::string needle = scans.Text(5);
        if (needle.empty()) needle = "a";
        const std::string text = scans.Text(90);
        const regex::detail::literal_finder finder(needle, nocase);
        for (const auto& [begin, end] : scans.Ranges(text.size())) {
            const char* first = text.data() + begin;
            const char* last = text.data() + end;
            const char* expected_first = last;
            const char* expected_last = nullptr;
            for (const char* at = first; last - at >= static_cast<std::ptrdiff_t>(needle.size()); ++at) {
                if (!LiteralAt(at, needle, nocase)) continue;
                if (expected_first == last) expected_first = at;
                expected_last = at;
            }
            ASSERT_EQ(finder.find(first, last), expected_first) << "round " << round << ", range " << begin << "-" << end;
            ASSERT_EQ(finder.find_last(first, last), expected_last) << "round " << round << ", range " << begin << "-" << end;
        }
    }
}

TEST(ByteFinder, FindsWhatANaiveSearchFinds) {
    RandomScans scans(7);
    for (int round = 0; round < 400; ++round) {
        // One to three members are compared in vectors, more looked up in the table.
        regex::detail::char_table set;
        const std::size_t members = 1 + scans.Below(5);
        for (std::size_t i = 0; i < members; ++i) set.set(static_cast<unsigned char>(kAlphabet[scans.Below(sizeof kAlphabet)]));
        const std::string text = scans.Text(90);
        const regex::detail::byte_finder finder(set);
        for (const auto& [begin, end] : scans.Ranges(text.size())) {
            const char* first = text.data() + begin;
            const char* last = text.data() + end;
            const char* expected_first = last;
            const char* expected_last = nullptr;
            for (const char* at = first; at != last; ++at) {
                if (!set.test(static_cast<unsigned char>(*at))) continue;
                if (expected_first == last) expected_first = at;
                expected_last = at;
            }
            ASSERT_EQ(finder.find(first, last), expected_first) << "round " << round << ", range " << begin << "-" << end;
            ASSERT_EQ(finder.find_last(first, last), expected_last) << "round " << round << ", range " << begin << "-" << end;
        }
    }
}

}  // namespace
