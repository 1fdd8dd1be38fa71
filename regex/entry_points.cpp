#include "regex/entry_points.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <string>

#include "regex/rpattern.h"

namespace regex {

bool match_entry(const char* text, int textLength, const char* pattern, int patternLength,
                 IRegexResultAllocator* allocator, RegexFlags flags) noexcept {
    if (text == nullptr || pattern == nullptr || allocator == nullptr || textLength <= 0 || patternLength <= 0)
        return false;
    try {
        // Over the caller's text in place: a copy of a long text costs more than a search through it.
        const rpattern_c compiled(std::string(pattern, static_cast<std::size_t>(patternLength)), flags, mode_recursive);
        match_results_c results;
        if (!compiled.match(text, text + textLength, results).matched) return false;
        // Every match of a global search may keep records: more than an int can count is possible.
        if (results.cbackrefs() > INT_MAX) return false;
        MatchSpan* spans = allocator->Allocate(static_cast<int>(results.cbackrefs()));
        if (spans == nullptr) return false;
        for (std::size_t i = 0; i < results.cbackrefs(); ++i)
            spans[i] = {static_cast<std::uint32_t>(results.rstart(i)), static_cast<std::uint32_t>(results.rlength(i))};
        return true;
    } catch (...) {
        return false;
    }
}

int substitute_entry(const char* text, int textLength, const char* pattern, int patternLength,
                     const char* replacement, int replacementLength, char* outBuffer, unsigned* outLength,
                     RegexFlags flags) noexcept {
    if (text == nullptr || pattern == nullptr || textLength <= 0 || patternLength <= 0 || replacementLength < 0 ||
        (replacement == nullptr && replacementLength > 0))
        return 0;
    try {
        rpattern_c compiled(std::string(pattern, static_cast<std::size_t>(patternLength)), flags, mode_recursive);
        compiled.set_substitution(replacementLength == 0 ? std::string()
                                                         : std::string(replacement, static_cast<std::size_t>(replacementLength)));
        std::string rewritten;
        const std::size_t count = compiled.substitute(text, text + textLength, rewritten);
        // Neither the count nor the length can be told beyond these.
        if (count == 0 || count > INT_MAX || rewritten.size() > UINT32_MAX) return 0;
        if (outLength != nullptr) {
            const auto needed = static_cast<unsigned>(rewritten.size());
            if (outBuffer != nullptr && *outLength >= needed) std::memcpy(outBuffer, rewritten.data(), needed);
            *outLength = needed;
        }
        return static_cast<int>(count);
    } catch (...) {
        return 0;
    }
}

}  // namespace regex
