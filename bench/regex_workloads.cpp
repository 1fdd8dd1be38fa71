#include "bench/regex_workloads.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace regex_bench {
namespace {

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The files in a fixed order, so every process builds the same haystack.
template <class Iterator>
std::string Concatenate(Iterator folder, const char* extension) {
    std::vector<std::filesystem::path> paths;
    std::error_code error;
    for (auto it = folder; it != Iterator(); it.increment(error)) {
        if (error) break;
        if (it->is_regular_file(error) && (extension == nullptr || it->path().extension() == extension))
            paths.push_back(it->path());
    }
    std::sort(paths.begin(), paths.end());
    std::string text;
    for (const auto& path : paths) {
        if (text.size() >= kHaystackBytes) break;
        text += ReadFile(path);
    }
    return text;
}

std::string RepeatTo(std::string text, std::size_t size) {
    if (text.empty()) return text;
    const std::string unit = text;
    while (text.size() < size) text += unit;
    text.resize(size);
    return text;
}

std::string Repeat(const std::string& unit, std::size_t times) {
    std::string text;
    text.reserve(unit.size() * times);
    for (std::size_t i = 0; i < times; ++i) text += unit;
    return text;
}

// Short request lines of about a hundred bytes, each with a URL.
std::vector<std::string> ShortUrls() {
    std::vector<std::string> texts;
    for (int i = 0; i < 10000; ++i)
        texts.push_back("GET https://cdn" + std::to_string(i % 97) + ".example.org/static/" + std::to_string(i) +
                        "/app.js?v=" + std::to_string(i * 7919 % 10007) + "&lang=en#main HTTP/1.1");
    return texts;
}

}  // namespace

Haystacks LoadHaystacks(const std::string& licenses_folder, const std::string& python_folder) {
    std::error_code error;
    Haystacks haystacks;
    haystacks.licenses =
        RepeatTo(Concatenate(std::filesystem::directory_iterator(licenses_folder, error), nullptr), kHaystackBytes);
    haystacks.python = RepeatTo(
        Concatenate(std::filesystem::recursive_directory_iterator(python_folder, error), ".py"), kHaystackBytes);
    return haystacks;
}

std::vector<Workload> Workloads(const Haystacks& haystacks) {
    const std::string& prose = haystacks.licenses;
    const std::string& source = haystacks.python;
    const std::string octet = "(?:25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])";
    const std::string url = R"(([a-z][a-z0-9+.-]*)://([^/?#\s]*)([^?#\s]*)(\?[^#\s]*)?(#\S*)?)";
    std::vector<Workload> list;
    const auto add = [&list](const char* name, const std::string& pattern, std::vector<std::string> texts,
                             Operation operation = Operation::find_all) -> Workload& {
        Workload& w = list.emplace_back();
        w.name = name;
        w.pattern = pattern;
        w.texts = std::move(texts);
        w.operation = operation;
        return w;
    };
    add("literal_phrase", "Free Software Foundation", {prose});
    add("absent_literal", "Zqxjv", {prose});
    add("nocase_literal", "warranty", {prose}).ignore_case = true;
    add("word_alternation", "Licensor|Contributor|indemnify|trademark|royalty", {prose});
    add("email", R"([\w.+-]+@[\w-]+\.[\w.-]+)", {source});
    add("uri", url, {prose});
    add("ipv4", "(?:" + octet + "\\.){3}" + octet, {source});
    add("line_start", R"(^\s*def (\w+)\()", {source}).multiline = true;
    add("doubled_word", R"(\b(\w+)\s+\1\b)", {prose});
    add("short_urls", url, ShortUrls(), Operation::short_calls);
    add("whitespace_runs", R"(\s+)", {prose}, Operation::substitute_all).replacement = " ";
    // The traps: exponential, quadratic, and deeper than any thread's stack.
    add("trap_empty_loop", "(a|)*c", {std::string(30, 'a') + "bc"}, Operation::find_first).trap = true;
    add("trap_long_word", R"(\w+@)", {std::string(200000, 'q')}, Operation::find_first).trap = true;
    add("trap_deep_loop", "(a|bc?)*x", {Repeat("abc", 400000) + "x"}, Operation::find_first).trap = true;
    return list;
}

void Outcome::AddSpan(std::size_t offset, std::size_t length) {
    ++matches;
    for (std::size_t v : {offset, length}) {
        for (int byte = 0; byte < 4; ++byte) {
            digest ^= static_cast<std::uint32_t>(v >> (8 * byte)) & 0xFFu;
            digest *= 16777619u;
        }
    }
}

void Outcome::AddText(const std::string& text) {
    for (char c : text) {
        digest ^= static_cast<unsigned char>(c);
        digest *= 16777619u;
    }
}

std::string Outcome::Describe() const {
    switch (kind) {
        case Kind::refused: return "refused";
        case Kind::unsupported: return "unsupported";
        default: return std::to_string(matches) + "/" + std::to_string(digest);
    }
}

double BestNanoseconds(const std::function<void()>& f, int repeats) {
    using clock = std::chrono::steady_clock;
    constexpr auto kLeast = std::chrono::milliseconds(20);
    // Reading the clock costs a system call under Wine, as much as a short
    // workload: the clock is read once per batch, and batches double until
    // one lasts long enough.
    long batch = 1;
    for (;;) {
        const auto start = clock::now();
        for (long i = 0; i < batch; ++i) f();
        if (clock::now() - start >= kLeast) break;
        batch *= 2;
    }
    double best = 0;
    for (int r = 0; r < repeats; ++r) {
        const auto start = clock::now();
        for (long i = 0; i < batch; ++i) f();
        const double each = std::chrono::duration<double, std::nano>(clock::now() - start).count() / static_cast<double>(batch);
        if (r == 0 || each < best) best = each;
    }
    return best;
}

double KernelNanoseconds() {
    // A chain of dependent integer steps: no memory, no branches to predict.
    volatile std::uint32_t sink = 0;
    return BestNanoseconds([&sink] {
        std::uint32_t x = sink + 1;
        for (int i = 0; i < (1 << 22); ++i) x = (x * 1664525u + 1013904223u) ^ (x >> 13);
        sink = x;
    }, 5);
}

}  // namespace regex_bench
