// What ReRidu's regex calls cost, through the portable entry points that the
// exports forward to, beside PCRE2's interpreter, Boost.Regex, RE2 and
// std::regex, each compiling its pattern on every call as the exports do.
// The workloads are in regex_workloads.cpp. Before timing, every engine
// that answers must find what ReRidu finds.
//
//     regex_bench [--plain] [--engines=ReRidu,PCRE2,...] [LICENCE_FOLDER PYTHON_FOLDER] [benchmark options]
//
// Google Benchmark reports each engine and workload, then a table of the
// times, ReRidu's ratios to PCRE2 and to Boost, and their geometric means
// over the workloads that are not traps. --plain prints one line per engine
// and workload instead, "engine<TAB>workload<TAB>ns<TAB>outcome", and first
// the time of the normalising kernel: regex_wine_bench.py reads it.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bench/regex_reridu_engine.h"
#include "bench/regex_rivals.h"
#include "bench/regex_workloads.h"
#include "regex/entry_points.h"

namespace {

using regex_bench::Engine;
using regex_bench::Outcome;
using regex_bench::Workload;

// The newest python3.N folder under /usr/lib.
std::string PythonFolder() {
    std::string best;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/usr/lib", error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("python3.", 0) == 0 && std::filesystem::exists(entry.path() / "os.py") && name > best)
            best = name;
    }
    return "/usr/lib/" + best;
}

// False, with a message, when an engine that answered found other matches than ReRidu.
bool EnginesAgree(const std::vector<Engine>& engines, const std::vector<Workload>& workloads) {
    bool agree = true;
    for (const Workload& w : workloads) {
        const Outcome ours = engines[0].run(w, true);
        for (std::size_t i = 1; i < engines.size(); ++i) {
            const Outcome theirs = engines[i].run(w, true);
            if (!theirs.answered() || (theirs.matches == ours.matches && theirs.digest == ours.digest)) continue;
            std::fprintf(stderr, "%s: %s found %s, %s found %s\n", w.name.c_str(), engines[0].name.c_str(),
                         ours.Describe().c_str(), engines[i].name.c_str(), theirs.Describe().c_str());
            agree = false;
        }
    }
    return agree;
}

void PrintPlain(const std::vector<Engine>& engines, const std::vector<Workload>& workloads) {
    std::printf("kernel\t-\t%.0f\t-\n", regex_bench::KernelNanoseconds());
    for (const Workload& w : workloads) {
        for (const Engine& e : engines) {
            const Outcome outcome = e.run(w, true);
            const double ns = outcome.answered() ? regex_bench::BestNanoseconds([&] { e.run(w, false); }) : 0;
            std::printf("%s\t%s\t%.0f\t%s\n", e.name.c_str(), w.name.c_str(), ns, outcome.Describe().c_str());
            std::fflush(stdout);
        }
    }
}

void Run(benchmark::State& state, const Engine& engine, const Workload& w) {
    if (!engine.run(w, false).answered()) {
        state.SkipWithError("refused or unsupported");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(engine.run(w, false));
}

class TableReporter : public benchmark::ConsoleReporter {
public:
    TableReporter(std::vector<std::string> engines, std::vector<Workload> workloads)
        : engines_(std::move(engines)), workloads_(std::move(workloads)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.iterations == 0 || run.error_occurred) continue;
            const std::string name = run.benchmark_name();
            const std::size_t slash = name.find('/');
            nanoseconds_[name.substr(slash + 1)][name.substr(0, slash)] = run.GetAdjustedRealTime();
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\nper call, compile and search (microseconds); ratios are ReRidu's time over the rival's\n%-18s",
                    "workload");
        for (const std::string& e : engines_) std::printf(" %11s", e.c_str());
        std::printf(" %8s %8s\n", "/PCRE2", "/Boost");
        double log_pcre2 = 0, log_boost = 0;
        int rows_pcre2 = 0, rows_boost = 0;
        for (const Workload& w : workloads_) {
            const auto& times = nanoseconds_[w.name];
            std::printf("%-18s", (w.name + (w.trap ? "*" : "")).c_str());
            for (const std::string& e : engines_) {
                const auto it = times.find(e);
                if (it == times.end())
                    std::printf(" %11s", "-");
                else
                    std::printf(" %11.1f", it->second / 1000);
            }
            const auto ratio = [&](const char* rival, double& log_sum, int& rows) {
                if (!times.count("ReRidu") || !times.count(rival)) return std::printf(" %8s", "-"), void();
                const double r = times.at("ReRidu") / times.at(rival);
                std::printf(" %8.2f", r);
                if (!w.trap) log_sum += std::log(r), ++rows;
            };
            ratio("PCRE2", log_pcre2, rows_pcre2);
            ratio("Boost", log_boost, rows_boost);
            std::printf("\n");
        }
        std::printf("%-18s", "geometric mean");
        for (std::size_t i = 0; i < engines_.size(); ++i) std::printf(" %11s", "");
        std::printf(" %8.2f %8.2f\n* a former trap, in no mean\n", rows_pcre2 ? std::exp(log_pcre2 / rows_pcre2) : 0.0,
                    rows_boost ? std::exp(log_boost / rows_boost) : 0.0);
    }

private:
    std::vector<std::string> engines_;
    std::vector<Workload> workloads_;
    std::map<std::string, std::map<std::string, double>> nanoseconds_;  // workload -> engine -> time
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    bool plain = false;
    std::string chosen;  // the engines to run, comma-separated; all when empty
    std::vector<std::string> folders;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--plain") == 0)
            plain = true;
        else if (std::strncmp(argv[i], "--engines=", 10) == 0)
            chosen = std::string(",") + (argv[i] + 10) + ",";
        else
            folders.push_back(argv[i]);
    }
    if (folders.size() != 0 && folders.size() != 2) {
        std::fprintf(stderr,
                     "usage: regex_bench [--plain] [--engines=NAME,...] [LICENCE_FOLDER PYTHON_FOLDER] [benchmark options]\n");
        return 2;
    }
    const regex_bench::Haystacks haystacks = regex_bench::LoadHaystacks(
        folders.empty() ? "/usr/share/common-licenses" : folders[0], folders.empty() ? PythonFolder() : folders[1]);
    if (haystacks.licenses.empty() || haystacks.python.empty()) {
        std::fprintf(stderr, "regex_bench: no haystack (licence texts and Python's standard library)\n");
        return 1;
    }
    static const std::vector<Workload> workloads = regex_bench::Workloads(haystacks);
    // ReRidu comes first: the others are held to what it finds.
    static std::vector<Engine> engines{regex_bench::ReriduEngine("ReRidu", regex::match_entry, regex::substitute_entry)};
    for (Engine& rival : regex_bench::RivalEngines())
        if (chosen.empty() || chosen.find("," + rival.name + ",") != std::string::npos) engines.push_back(std::move(rival));
    if (!EnginesAgree(engines, workloads)) return 1;
    if (plain) {
        PrintPlain(engines, workloads);
        return 0;
    }
    std::vector<std::string> names;
    for (const Engine& e : engines) {
        names.push_back(e.name);
        for (const Workload& w : workloads)
            benchmark::RegisterBenchmark((e.name + "/" + w.name).c_str(), Run, std::cref(e), std::cref(w))
                ->Unit(benchmark::kMicrosecond);
    }
    TableReporter reporter(names, workloads);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
