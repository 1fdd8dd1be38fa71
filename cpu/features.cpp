// SSSE3 is a CPUID bit. AVX2 also needs the operating system to save the
// 256-bit registers on a thread switch (Windows XP does not): CPUID says the
// OS enabled XSAVE, and XGETBV says it saves the SSE and AVX state.
#include "cpu/features.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace cpu {
namespace {

#if defined(__i386__) || defined(__x86_64__)

constexpr unsigned kSsse3Bit = 1u << 9;     // leaf 1, ECX
constexpr unsigned kOsXsaveBit = 1u << 27;  // leaf 1, ECX
constexpr unsigned kAvxBit = 1u << 28;      // leaf 1, ECX
constexpr unsigned kAvx2Bit = 1u << 5;      // leaf 7, EBX
constexpr unsigned kSseAndAvxState = 0x6;   // XCR0 bits 1 and 2

unsigned EnabledRegisterState() {
    unsigned low = 0, high = 0;
    __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    return low;
}

bool HasAvx2(unsigned leaf1Ecx) {
    if ((leaf1Ecx & (kOsXsaveBit | kAvxBit)) != (kOsXsaveBit | kAvxBit)) return false;
    if ((EnabledRegisterState() & kSseAndAvxState) != kSseAndAvxState) return false;
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx)) return false;
    return (ebx & kAvx2Bit) != 0;
}

struct Features {
    bool ssse3 = false;
    bool avx2 = false;

    Features() {
        unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
        if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return;
        ssse3 = (ecx & kSsse3Bit) != 0;
        avx2 = HasAvx2(ecx);
    }
};

#else

struct Features {
    bool ssse3 = false;
    bool avx2 = false;
};

#endif

}  // namespace

bool Has(Feature feature) {
    static const Features features;
    switch (feature) {
        case Feature::kNone:
            return true;
        case Feature::kSsse3:
            return features.ssse3;
        case Feature::kAvx2:
            return features.avx2;
    }
    return false;
}

}  // namespace cpu
