#include "regex/cpu_features.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace regex::detail {
namespace {

#if defined(__i386__) || defined(__x86_64__)

bool query_avx2() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
    constexpr unsigned kOsSavesRegisters = 1u << 27, kAvx = 1u << 28;
    if ((c & kOsSavesRegisters) == 0 || (c & kAvx) == 0) return false;
    // The processor has AVX; the system must also save the wide registers
    // on a thread switch (XCR0 bits 1 and 2), which Windows XP does not.
    unsigned low = 0, high = 0;
    __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    if ((low & 6u) != 6u) return false;
    if (__get_cpuid_max(0, nullptr) < 7) return false;
    __cpuid_count(7, 0, a, b, c, d);
    constexpr unsigned kAvx2 = 1u << 5;
    return (b & kAvx2) != 0;
}

#endif

}  // namespace

bool cpu_has_avx2() {
#if defined(__i386__) || defined(__x86_64__)
    static const bool available = query_avx2();
    return available;
#else
    return false;
#endif
}

}  // namespace regex::detail
