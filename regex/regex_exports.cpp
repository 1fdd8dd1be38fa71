#include "frame/reridu_exports.h"

// Not available yet: every call reports no match.
bool __cdecl RegexMatch(const char*, int, const char*, int, IRegexResultAllocator*, unsigned) { return false; }

int __cdecl RegexSubstitute(const char*, int, const char*, int, const char*, int, char*, unsigned*, unsigned) {
    return 0;
}
