#pragma once
// The regex benchmark's workloads, shared by the native benchmark (ReRidu's
// portable entry points beside PCRE2, Boost.Regex, RE2 and std::regex) and
// by the Windows program that calls ReRidu.dll's exports under Wine.
//
// Haystacks every Debian machine has: the licence texts and Python's
// standard library, each repeated to 8 MiB. Every engine must find the
// same matches; an outcome's digest says which they were.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace regex_bench {

inline constexpr std::size_t kHaystackBytes = 8 << 20;

struct Haystacks {
    std::string licenses;  // prose
    std::string python;    // program source
};

// Reads every file of the two folders (the Python folder recursively, its
// .py files only), each text repeated to kHaystackBytes. Empty texts when a
// folder cannot be read.
Haystacks LoadHaystacks(const std::string& licenses_folder, const std::string& python_folder);

enum class Operation {
    find_all,        // every non-overlapping match, left to right
    find_first,      // one search
    substitute_all,  // every match replaced, the rewritten text compared
    short_calls,     // one search in each short text, one call each
};

struct Workload {
    std::string name;
    std::string pattern;
    bool ignore_case = false;
    bool multiline = false;
    Operation operation = Operation::find_all;
    std::vector<std::string> texts;  // one, or the short texts of short_calls
    std::string replacement;         // substitute_all
    // A former trap of ReRidu's: rivals may refuse it (a backtracking
    // limit), and it counts in no mean.
    bool trap = false;
};

// The workloads over these haystacks.
std::vector<Workload> Workloads(const Haystacks& haystacks);

// What an engine found.
struct Outcome {
    enum class Kind { answered, refused, unsupported };
    Kind kind = Kind::answered;
    std::size_t matches = 0;     // matches found (replaced, for substitute_all)
    std::uint32_t digest = 0;    // of the spans, or of the rewritten text

    void AddSpan(std::size_t offset, std::size_t length);
    void AddText(const std::string& text);
    bool answered() const { return kind == Kind::answered; }
    std::string Describe() const;
};

// An engine's way of running a workload. Only with `check` does the outcome
// carry the digest of a rewritten text, whose hashing would cost as much as
// the rewriting.
struct Engine {
    std::string name;
    std::function<Outcome(const Workload&, bool check)> run;
};

// The best time of `repeats` runs of f, each of at least a few milliseconds'
// worth of calls, in nanoseconds per call.
double BestNanoseconds(const std::function<void()>& f, int repeats = 3);

// The time of a fixed integer kernel, in nanoseconds: two processes that
// run at different speeds (a native one and one under Wine) are compared
// through it.
double KernelNanoseconds();

}  // namespace regex_bench
