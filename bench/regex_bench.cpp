// What one RegexMatch call costs: the pattern compiled and the text searched,
// every call, as the export does, beside PCRE2's interpreter (compile and
// match per call, no JIT) and libstdc++'s std::regex, over the same texts in
// the same run. Before timing, the three must agree on where each match is.
//
// After the usual report comes a table: the time of each engine per pattern,
// the ratios, and the geometric means.
#define PCRE2_CODE_UNIT_WIDTH 8
#include <benchmark/benchmark.h>
#include <pcre2.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "regex/entry_points.h"

namespace {

struct Workload {
    const char* name;
    const char* pattern;
    bool ignore_case;
    std::string text;
};

// Words with the odd digit run and punctuation, like the text of a page.
std::string Prose(std::size_t length, unsigned seed) {
    static const char* const words[] = {"the", "browser", "loads", "a", "page", "from", "its", "cache", "and",
                                        "renders", "every", "frame", "with", "care", "while", "scripts", "run",
                                        "in", "order", "of", "arrival", "on", "one", "thread", "only"};
    std::mt19937 random(seed);
    std::string text;
    while (text.size() < length) {
        text += words[random() % (sizeof words / sizeof words[0])];
        switch (random() % 12) {
            case 0: text += ", "; break;
            case 1: text += ". "; break;
            case 2: text += " " + std::to_string(random() % 100000) + " "; break;
            default: text += ' ';
        }
    }
    return text;
}

std::vector<Workload> Workloads() {
    const std::string page = Prose(4096, 1);
    return {
        {"literal", "needle", false, page + "needle in a haystack"},
        {"literal_nocase", "NeEdLe", true, page + "the Needle"},
        {"alternation", "apple|banana|cherry|durian|elderberry", false, page + "elderberry"},
        {"class_runs", "[a-z]+[0-9]{3,}[a-z]*", false, Prose(4096, 2) + " sha256sum"},
        {"email", R"([\w.+-]+@[\w-]+\.[\w.-]+)", false, page + " mail jane.doe+news@example-mail.co.uk today"},
        {"uri", R"((https?|ftp)://([^/\s:]+)(:\d+)?(/[^\s?#]*)?(\?[^\s#]*)?)", false,
         page + " see https://www.example.org:8080/path/to/page.html?q=1&r=2#top"},
        {"backreference", R"(\b(\w+)\s+\1\b)", false, page + " the the end"},
        {"anchored", R"(^(\w+)\s*=\s*(\w+))", false, "proxy_config_type = socks5; " + page},
        {"lazy_tag", "<title>(.*?)</title>", false, "<html><head><title>" + Prose(200, 3) + "</title></head>" + page},
        {"fails_everywhere", "[A-Z]{3}[0-9]{5}", false, page},
    };
}

// ---------------------------------------------------------------- the three engines

class SpanList final : public IRegexResultAllocator {
public:
    MatchSpan* RERIDU_THISCALL Allocate(int count) override {
        spans_.resize(static_cast<std::size_t>(count));
        return spans_.data();
    }
    const std::vector<MatchSpan>& spans() const { return spans_; }

private:
    std::vector<MatchSpan> spans_;
};

// Offset and length of group 0, or {-1, -1}.
using Span = std::pair<long, long>;

Span ReRidu(const Workload& w, SpanList& spans) {
    const std::string pattern = w.pattern;
    if (!regex::match_entry(w.text.data(), static_cast<int>(w.text.size()), pattern.data(),
                            static_cast<int>(pattern.size()), &spans, w.ignore_case ? regex::flag_ignore_case : 0))
        return {-1, -1};
    return {spans.spans()[0].offset, spans.spans()[0].length};
}

Span Pcre2(const Workload& w) {
    int error = 0;
    PCRE2_SIZE error_offset = 0;
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(w.pattern), PCRE2_ZERO_TERMINATED,
                                     w.ignore_case ? PCRE2_CASELESS : 0, &error, &error_offset, nullptr);
    if (code == nullptr) std::abort();
    pcre2_match_data* data = pcre2_match_data_create_from_pattern(code, nullptr);
    const int rc = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(w.text.data()), w.text.size(), 0, 0, data, nullptr);
    Span span{-1, -1};
    if (rc > 0) {
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data);
        span = {static_cast<long>(ovector[0]), static_cast<long>(ovector[1] - ovector[0])};
    }
    pcre2_match_data_free(data);
    pcre2_code_free(code);
    return span;
}

Span StdRegex(const Workload& w) {
    auto options = std::regex::ECMAScript;
    if (w.ignore_case) options |= std::regex::icase;
    const std::regex compiled(w.pattern, options);
    std::smatch match;
    if (!std::regex_search(w.text, match, compiled)) return {-1, -1};
    return {static_cast<long>(match.position(0)), static_cast<long>(match.length(0))};
}

enum class Engine { reridu, pcre2, std_regex };

const char* const kEngineNames[] = {"ReRidu", "PCRE2", "std::regex"};

void Run(benchmark::State& state, const Workload& w, Engine engine) {
    SpanList spans;
    for (auto _ : state) {
        Span span;
        switch (engine) {
            case Engine::reridu: span = ReRidu(w, spans); break;
            case Engine::pcre2: span = Pcre2(w); break;
            case Engine::std_regex: span = StdRegex(w); break;
        }
        benchmark::DoNotOptimize(span);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(w.text.size()));
}

// ---------------------------------------------------------------- the table

class TableReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
            const std::string name = run.benchmark_name();
            const std::size_t slash = name.find('/');
            nanoseconds_[name.substr(slash + 1)][name.substr(0, slash)] = run.GetAdjustedRealTime();
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\nper call, compile and search (ns)\n%-18s %12s %12s %12s %9s %9s\n", "pattern", "ReRidu", "PCRE2",
                    "std::regex", "/PCRE2", "/std");
        double log_pcre2 = 0, log_std = 0;
        int rows = 0;
        for (const auto& [pattern, times] : nanoseconds_) {
            if (times.size() != 3) continue;
            const double ours = times.at(kEngineNames[0]);
            const double pcre2 = times.at(kEngineNames[1]);
            const double std_regex = times.at(kEngineNames[2]);
            std::printf("%-18s %12.0f %12.0f %12.0f %9.2f %9.2f\n", pattern.c_str(), ours, pcre2, std_regex,
                        ours / pcre2, ours / std_regex);
            log_pcre2 += std::log(ours / pcre2);
            log_std += std::log(ours / std_regex);
            ++rows;
        }
        if (rows > 0)
            std::printf("%-18s %12s %12s %12s %9.2f %9.2f\n", "geometric mean", "", "", "", std::exp(log_pcre2 / rows),
                        std::exp(log_std / rows));
    }

private:
    std::map<std::string, std::map<std::string, double>> nanoseconds_;  // pattern -> engine -> time
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    static const std::vector<Workload> workloads = Workloads();
    for (const Workload& w : workloads) {
        SpanList spans;
        const Span ours = ReRidu(w, spans);
        if (ours != Pcre2(w) || ours != StdRegex(w)) {
            std::fprintf(stderr, "%s: the engines disagree\n", w.name);
            return 1;
        }
        for (Engine engine : {Engine::reridu, Engine::pcre2, Engine::std_regex})
            benchmark::RegisterBenchmark((std::string(kEngineNames[static_cast<int>(engine)]) + "/" + w.name).c_str(),
                                         Run, w, engine);
    }
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
