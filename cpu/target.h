#pragma once
// Every function defined between RERIDU_TARGET_BEGIN("isa") and
// RERIDU_TARGET_END may use that instruction set; the rest of the build
// keeps its baseline. Headers the region needs are included before it, or
// their inline functions would be compiled for the wider set too, and the
// linker could keep that copy for callers on any CPU.

#define RERIDU_PRAGMA_TEXT(text) #text

#if defined(__clang__)
#define RERIDU_TARGET_BEGIN(isa) \
    _Pragma(RERIDU_PRAGMA_TEXT(clang attribute push(__attribute__((target(isa))), apply_to = function)))
#define RERIDU_TARGET_END _Pragma("clang attribute pop")
#else
#define RERIDU_TARGET_BEGIN(isa) _Pragma("GCC push_options") _Pragma(RERIDU_PRAGMA_TEXT(GCC target(isa)))
#define RERIDU_TARGET_END _Pragma("GCC pop_options")
#endif

// A single function built for AVX2, where the build targets x86.
#if defined(__i386__) || defined(__x86_64__)
#define RERIDU_X86 1
#define RERIDU_AVX2_FUNCTION __attribute__((target("avx2")))
#endif
