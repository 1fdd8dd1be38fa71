#pragma once
// ReRidu as a benchmark engine, through functions with the signatures of
// its two exports: the portable entry points natively, the DLL's exports
// under Wine.

#include "bench/regex_workloads.h"
#include "regex/result_allocator.h"

namespace regex_bench {

using MatchFunction = bool (*)(const char* text, int textLength, const char* pattern, int patternLength,
                               IRegexResultAllocator* allocator, unsigned flags);
using SubstituteFunction = int (*)(const char* text, int textLength, const char* pattern, int patternLength,
                                   const char* replacement, int replacementLength, char* outBuffer,
                                   unsigned* outLength, unsigned flags);

Engine ReriduEngine(const std::string& name, MatchFunction match, SubstituteFunction substitute);

}  // namespace regex_bench
