#include "bench/regex_reridu_engine.h"

#include <vector>

#include "regex/flags.h"

namespace regex_bench {
namespace {

// The caller's storage, kept between calls as a browser would keep its own.
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

unsigned FlagsOf(const Workload& w) {
    unsigned flags = 0;
    if (w.ignore_case) flags |= regex::flag_ignore_case;
    if (w.multiline) flags |= regex::flag_multiline;
    return flags;
}

Outcome Run(const Workload& w, bool check, MatchFunction match, SubstituteFunction substitute, SpanList& spans,
            std::string& out) {
    Outcome outcome;
    const unsigned flags = FlagsOf(w);
    const auto length = [](const std::string& s) { return static_cast<int>(s.size()); };
    switch (w.operation) {
        case Operation::find_all:
        case Operation::find_first: {
            const unsigned all = w.operation == Operation::find_all ? regex::flag_global | regex::flag_first_backrefs : 0;
            const std::string& text = w.texts[0];
            if (match(text.data(), length(text), w.pattern.data(), length(w.pattern), &spans, flags | all)) {
                // One search hands back every group; only where the match lies is compared.
                const std::size_t count = all != 0 ? spans.spans().size() : 1;
                for (std::size_t i = 0; i < count; ++i) outcome.AddSpan(spans.spans()[i].offset, spans.spans()[i].length);
            }
            break;
        }
        case Operation::short_calls:
            for (const std::string& text : w.texts)
                if (match(text.data(), length(text), w.pattern.data(), length(w.pattern), &spans, flags))
                    outcome.AddSpan(spans.spans()[0].offset, spans.spans()[0].length);
            break;
        case Operation::substitute_all: {
            const std::string& text = w.texts[0];
            // The rewritten text is never longer than the text for these replacements.
            out.resize(text.size());
            unsigned out_length = static_cast<unsigned>(out.size());
            const int count = substitute(text.data(), length(text), w.pattern.data(), length(w.pattern),
                                         w.replacement.data(), length(w.replacement), out.data(), &out_length,
                                         flags | regex::flag_global);
            out.resize(count > 0 ? out_length : 0);
            outcome.matches = static_cast<std::size_t>(count);
            if (check) outcome.AddText(count > 0 ? out : text);
            break;
        }
    }
    return outcome;
}

}  // namespace

Engine ReriduEngine(const std::string& name, MatchFunction match, SubstituteFunction substitute) {
    return {name, [match, substitute](const Workload& w, bool check) {
                SpanList spans;
                std::string out;
                return Run(w, check, match, substitute, spans, out);
            }};
}

}  // namespace regex_bench
