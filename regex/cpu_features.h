#pragma once
// What the processor offers beyond SSE2, the baseline every build may
// assume. Asked once per process.

// Functions built for AVX2, to be called only when cpu_has_avx2().
#if defined(__i386__) || defined(__x86_64__)
#define REGEX_WIDE_SCAN 1
#define REGEX_AVX2 __attribute__((target("avx2")))
#endif

namespace regex::detail {

// AVX2, and an operating system that saves its registers.
bool cpu_has_avx2();

}  // namespace regex::detail
