// ReRidu.dll's regex exports timed on the benchmark's workloads, loaded the
// way the browser loads them, for bench/regex_wine_bench.py:
//
//     regex_exports_bench LICENCE_FOLDER PYTHON_FOLDER
//
// prints the normalising kernel's time, then for every workload a line
// "ReRidu.dll<TAB>workload<TAB>ns<TAB>outcome", as regex_bench --plain does
// for the native engines.
#include <cstdio>

#include "bench/regex_reridu_engine.h"
#include "bench/regex_workloads.h"
#include "frame/reridu_exports.h"
#include "host/library.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: regex_exports_bench LICENCE_FOLDER PYTHON_FOLDER\n");
        return 2;
    }
    const regex_bench::Haystacks haystacks = regex_bench::LoadHaystacks(argv[1], argv[2]);
    if (haystacks.licenses.empty() || haystacks.python.empty()) {
        std::fprintf(stderr, "regex_exports_bench: no haystack in %s and %s\n", argv[1], argv[2]);
        return 1;
    }
    ReriduLibrary library;
    auto* const match = library.Get<decltype(RegexMatch)>("RegexMatch");
    auto* const substitute = library.Get<decltype(RegexSubstitute)>("RegexSubstitute");
    if (match == nullptr || substitute == nullptr) {
        std::fprintf(stderr, "regex_exports_bench: ReRidu.dll or its regex exports are missing\n");
        return 1;
    }
    const regex_bench::Engine engine = regex_bench::ReriduEngine("ReRidu.dll", match, substitute);
    std::printf("kernel\t-\t%.0f\t-\n", regex_bench::KernelNanoseconds());
    for (const regex_bench::Workload& w : regex_bench::Workloads(haystacks)) {
        const regex_bench::Outcome outcome = engine.run(w, true);
        const double ns = regex_bench::BestNanoseconds([&] { engine.run(w, false); });
        std::printf("%s\t%s\t%.0f\t%s\n", engine.name.c_str(), w.name.c_str(), ns, outcome.Describe().c_str());
        std::fflush(stdout);
    }
    return 0;
}
