// Many threads matching and substituting at once, each starting with the
// first patterns this process compiles, all at the same moment: the shared
// class tables behind \w, \d, \s and the POSIX classes are built by whichever
// thread needs them first. A program of its own, so no pattern has been
// compiled before the threads start. Under Wine it calls ReRidu.dll's exports.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "regex/flags.h"
#include "tests/regex/entry_harness.h"

namespace {

constexpr unsigned G = regex::flag_global;

// Each needs a class table the moment it is compiled.
const struct {
    const char* pattern;
    unsigned flags;
    const char* text;
    const char* spans;  // MatchOutcome
    const char* replacement;
    const char* rewritten;
} kCases[] = {
    {"\\w+", G | regex::flag_first_backrefs, "ab, c_d9", "2: 0+2 4+4", "<$&>", "<ab>, <c_d9>"},
    {"(\\d+)-(\\d+)", 0, "tel 12-345", "3: 4+6 4+2 7+3", "$2-$1", "tel 345-12"},
    {"\\s", G | regex::flag_first_backrefs, "a b\tc", "2: 1+1 3+1", "_", "a_b_c"},
    {"[[:alpha:]]+", 0, "12abc3", "1: 2+3", "\\U$&", "12ABC3"},
    {"\\bx\\b", G | regex::flag_first_backrefs, "x xx x", "2: 0+1 5+1", "y", "y xx y"},
    {"[[:^digit:][:space:]]+", 0, "12 ab3", "1: 2+3", "-", "12-3"},
    {"[[:upper:]]", regex::flag_ignore_case, "12q", "1: 2+1", "\\u$&", "12Q"},
    {"[[:xdigit:][:punct:]]{3}", 0, "zz1f.", "1: 2+3", "#", "zz#"},
};

TEST(RegexThreads, FirstPatternsCompiledAtTheSameMomentGiveRightResults) {
#ifdef _WIN32
    const RegexEntryPoints entry = ExportedEntryPoints();
#else
    const RegexEntryPoints entry = DirectEntryPoints();
#endif
    // Looks the functions up without compiling anything: an empty text never reaches the engine.
    ASSERT_FALSE(entry.match("", 0, "a", 1, nullptr, 0));
    ASSERT_EQ(entry.substitute("", 0, "a", 1, "", 0, nullptr, nullptr, 0), 0);

    constexpr std::size_t kThreads = 16;
    std::mutex mutex;
    std::condition_variable all_ready;
    std::size_t ready = 0;
    std::string wrong;  // the first wrong result
    auto work = [&](std::size_t id) {
        {
            std::unique_lock<std::mutex> lock(mutex);
            if (++ready == kThreads) all_ready.notify_all();
            all_ready.wait_for(lock, std::chrono::seconds(60), [&] { return ready == kThreads; });
        }
        for (std::size_t round = 0; round < 300; ++round) {
            const auto& c = kCases[(id + round) % (sizeof kCases / sizeof kCases[0])];
            const std::string spans = MatchOutcome(entry, c.pattern, c.flags, c.text);
            const std::string rewritten = Rewritten(entry, c.pattern, c.flags, c.replacement, c.text);
            if (spans == c.spans && rewritten == c.rewritten) continue;
            std::lock_guard<std::mutex> lock(mutex);
            if (wrong.empty()) wrong = std::string(c.pattern) + ": " + spans + " / " + rewritten;
        }
    };
    std::vector<std::thread> threads;
    for (std::size_t id = 0; id < kThreads; ++id) threads.emplace_back(work, id);
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(ready, kThreads);
    EXPECT_EQ(wrong, "");
}

}  // namespace
