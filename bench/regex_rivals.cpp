#include "bench/regex_rivals.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>
#include <re2/re2.h>

#include <boost/regex.hpp>
#include <memory>
#include <regex>
#include <stdexcept>

namespace regex_bench {
namespace {

// ---------------------------------------------------------------- PCRE2

struct Pcre2Code {
    std::unique_ptr<pcre2_code, void (*)(pcre2_code*)> code{nullptr, pcre2_code_free};
    std::unique_ptr<pcre2_match_data, void (*)(pcre2_match_data*)> data{nullptr, pcre2_match_data_free};

    explicit Pcre2Code(const Workload& w) {
        int error = 0;
        PCRE2_SIZE offset = 0;
        const uint32_t options = (w.ignore_case ? PCRE2_CASELESS : 0) | (w.multiline ? PCRE2_MULTILINE : 0);
        code.reset(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(w.pattern.data()), w.pattern.size(), options, &error,
                                 &offset, nullptr));
        if (!code) throw std::invalid_argument("PCRE2 refused " + w.pattern);
        data.reset(pcre2_match_data_create_from_pattern(code.get(), nullptr));
    }

    // The match from start on: 1 found, 0 none, -1 the matcher gave up.
    int Find(const std::string& text, std::size_t start, std::size_t& begin, std::size_t& end) {
        const int rc = pcre2_match(code.get(), reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), start, 0,
                                   data.get(), nullptr);
        if (rc == PCRE2_ERROR_NOMATCH) return 0;
        if (rc < 0) return -1;
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data.get());
        begin = ovector[0];
        end = ovector[1];
        return 1;
    }
};

Outcome Pcre2(const Workload& w, bool check) {
    Outcome outcome;
    const auto find = [&](const std::string& text, bool all) {
        Pcre2Code code(w);
        std::size_t start = 0, begin = 0, end = 0;
        for (int rc; (rc = code.Find(text, start, begin, end)) != 0;) {
            if (rc < 0) return false;
            outcome.AddSpan(begin, end - begin);
            if (!all) break;
            start = end == begin ? end + 1 : end;
        }
        return true;
    };
    switch (w.operation) {
        case Operation::find_all:
        case Operation::find_first:
            if (!find(w.texts[0], w.operation == Operation::find_all)) outcome.kind = Outcome::Kind::refused;
            break;
        case Operation::short_calls:
            for (const std::string& text : w.texts)
                if (!find(text, false)) outcome.kind = Outcome::Kind::refused;
            break;
        case Operation::substitute_all: {
            Pcre2Code compiled(w);
            const std::string& text = w.texts[0];
            std::string out(text.size() + 1, '\0');
            PCRE2_SIZE length = out.size();
            const int rc = pcre2_substitute(compiled.code.get(), reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), 0,
                                            PCRE2_SUBSTITUTE_GLOBAL, compiled.data.get(), nullptr,
                                            reinterpret_cast<PCRE2_SPTR>(w.replacement.data()), w.replacement.size(),
                                            reinterpret_cast<PCRE2_UCHAR*>(out.data()), &length);
            if (rc < 0) {
                outcome.kind = Outcome::Kind::refused;
                break;
            }
            out.resize(length);
            outcome.matches = static_cast<std::size_t>(rc);
            if (check) outcome.AddText(out);
            break;
        }
    }
    return outcome;
}

// ---------------------------------------------------------------- RE2

std::unique_ptr<RE2> Re2(const Workload& w) {
    RE2::Options options;
    options.set_encoding(RE2::Options::EncodingLatin1);  // bytes, like the others
    options.set_case_sensitive(!w.ignore_case);
    options.set_log_errors(false);
    options.set_max_mem(256 << 20);
    return std::make_unique<RE2>(w.multiline ? "(?m)" + w.pattern : w.pattern, options);
}

Outcome Re2Engine(const Workload& w, bool check) {
    Outcome outcome;
    if (!Re2(w)->ok()) {
        outcome.kind = Outcome::Kind::unsupported;  // backreferences
        return outcome;
    }
    const auto find = [&](const std::string& text, bool all) {
        const std::unique_ptr<RE2> re = Re2(w);
        re2::StringPiece match;
        std::size_t start = 0;
        while (start <= text.size() && re->Match(text, start, text.size(), RE2::UNANCHORED, &match, 1)) {
            const auto begin = static_cast<std::size_t>(match.data() - text.data());
            outcome.AddSpan(begin, match.size());
            if (!all) break;
            start = match.empty() ? begin + 1 : begin + match.size();
        }
    };
    switch (w.operation) {
        case Operation::find_all:
        case Operation::find_first:
            find(w.texts[0], w.operation == Operation::find_all);
            break;
        case Operation::short_calls:
            for (const std::string& text : w.texts) find(text, false);
            break;
        case Operation::substitute_all: {
            std::string out = w.texts[0];
            outcome.matches = static_cast<std::size_t>(RE2::GlobalReplace(&out, *Re2(w), w.replacement));
            if (check) outcome.AddText(out);
            break;
        }
    }
    return outcome;
}

// ---------------------------------------------------------------- Boost.Regex and std::regex

// The two libraries share one interface; Library names its parts.
struct BoostLibrary {
    using regex = boost::regex;
    using iterator = boost::sregex_iterator;
    using match = boost::smatch;

    static regex Compile(const Workload& w) {
        // Boost's ^ and $ see line ends unless told not to.
        boost::regex::flag_type options = boost::regex::perl;
        if (!w.multiline) options |= boost::regex::no_mod_m;
        if (w.ignore_case) options |= boost::regex::icase;
        return regex(w.pattern, options);
    }
    static bool Search(const std::string& text, match& m, const regex& re) { return boost::regex_search(text, m, re); }
    static std::string Replace(const std::string& text, const regex& re, const std::string& replacement) {
        return boost::regex_replace(text, re, replacement);
    }
};

struct StdLibrary {
    using regex = std::regex;
    using iterator = std::sregex_iterator;
    using match = std::smatch;

    static regex Compile(const Workload& w) {
        auto options = std::regex::ECMAScript;
        if (w.ignore_case) options |= std::regex::icase;
        if (w.multiline) options |= std::regex::multiline;
        return regex(w.pattern, options);
    }
    static bool Search(const std::string& text, match& m, const regex& re) { return std::regex_search(text, m, re); }
    static std::string Replace(const std::string& text, const regex& re, const std::string& replacement) {
        return std::regex_replace(text, re, replacement);
    }
};

template <class Library>
Outcome Iterated(const Workload& w, bool check) {
    Outcome outcome;
    switch (w.operation) {
        case Operation::find_all:
        case Operation::find_first: {
            const typename Library::regex re = Library::Compile(w);
            const std::string& text = w.texts[0];
            for (typename Library::iterator it(text.begin(), text.end(), re), end; it != end; ++it) {
                outcome.AddSpan(static_cast<std::size_t>(it->position()), static_cast<std::size_t>(it->length()));
                if (w.operation == Operation::find_first) break;
            }
            break;
        }
        case Operation::short_calls:
            for (const std::string& text : w.texts) {
                typename Library::match m;
                if (Library::Search(text, m, Library::Compile(w)))
                    outcome.AddSpan(static_cast<std::size_t>(m.position()), static_cast<std::size_t>(m.length()));
            }
            break;
        case Operation::substitute_all: {
            const typename Library::regex re = Library::Compile(w);
            const std::string& text = w.texts[0];
            const std::string out = Library::Replace(text, re, w.replacement);
            if (check) {
                outcome.matches = static_cast<std::size_t>(
                    std::distance(typename Library::iterator(text.begin(), text.end(), re), typename Library::iterator()));
                outcome.AddText(out);
            }
            break;
        }
    }
    return outcome;
}

Outcome Boost(const Workload& w, bool check) {
    try {
        return Iterated<BoostLibrary>(w, check);
    } catch (const std::runtime_error&) {
        // Boost gives up on matches it deems too complex.
        Outcome outcome;
        outcome.kind = Outcome::Kind::refused;
        return outcome;
    }
}

Outcome Std(const Workload& w, bool check) {
    // libstdc++ recurses once per character a loop repeats: the traps would
    // overflow the stack.
    if (w.trap) {
        Outcome outcome;
        outcome.kind = Outcome::Kind::unsupported;
        return outcome;
    }
    return Iterated<StdLibrary>(w, check);
}

}  // namespace

std::vector<Engine> RivalEngines() {
    return {{"PCRE2", Pcre2}, {"Boost", Boost}, {"RE2", Re2Engine}, {"std::regex", Std}};
}

}  // namespace regex_bench
