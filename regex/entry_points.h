#pragma once
// The two exported regex functions, as portable code: the exports forward
// to these, and the host build tests them under the sanitizers. Both compile
// the pattern afresh with the recursive matcher, keep nothing between calls,
// and turn every failure (a bad argument, a malformed pattern or
// replacement, exhausted memory) into their failure result.

#include "regex/flags.h"
#include "regex/result_allocator.h"

namespace regex {

// Searches text for pattern. On a match, asks the allocator for one span per
// record the flags keep (see basic_rpattern::match) and fills them; a group
// that took no part in the match gets the span {0, 0}. False, with the
// allocator not called, when nothing matched or an argument is null or has
// no length; false too when the allocator gives no storage.
bool match_entry(const char* text, int textLength, const char* pattern, int patternLength,
                 IRegexResultAllocator* allocator, RegexFlags flags) noexcept;

// Replaces the first match of pattern in text, or under flag_global every
// match, by replacement, and returns how many it replaced; 0 leaves the
// output untouched. With a count, *outLength receives the length of the
// rewritten text, which is copied, every byte and no terminating NUL, to
// outBuffer when *outLength was at least that length. A null outBuffer
// receives nothing, and a null outLength leaves only the count.
int substitute_entry(const char* text, int textLength, const char* pattern, int patternLength,
                     const char* replacement, int replacementLength, char* outBuffer, unsigned* outLength,
                     RegexFlags flags) noexcept;

}  // namespace regex
