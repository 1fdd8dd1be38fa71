#include "frame/reridu_exports.h"
#include "regex/entry_points.h"

bool __cdecl RegexMatch(const char* text, int textLength, const char* pattern, int patternLength,
                        IRegexResultAllocator* allocator, unsigned flags) {
    return regex::match_entry(text, textLength, pattern, patternLength, allocator, flags);
}

int __cdecl RegexSubstitute(const char* text, int textLength, const char* pattern, int patternLength,
                            const char* replacement, int replacementLength, char* outBuffer, unsigned* outLength,
                            unsigned flags) {
    return regex::substitute_entry(text, textLength, pattern, patternLength, replacement, replacementLength,
                                   outBuffer, outLength, flags);
}
