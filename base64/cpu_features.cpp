// SSSE3 is a CPUID bit. AVX2 also needs the operating system to save the
// 256-bit registers on a thread switch (Windows XP does not): CPUID says the
// OS enabled XSAVE, and XGETBV says it saves the SSE and AVX state.
#include <cpuid.h>

#include "base64/kernel.h"

namespace base64 {
namespace {

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

}  // namespace

bool CpuHas(CpuFeature feature) {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return feature == CpuFeature::kNone;
    switch (feature) {
        case CpuFeature::kNone:
            return true;
        case CpuFeature::kSsse3:
            return (ecx & kSsse3Bit) != 0;
        case CpuFeature::kAvx2:
            return HasAvx2(ecx);
    }
    return false;
}

}  // namespace base64
