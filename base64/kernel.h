#pragma once
// The codec's implementations. Each one produces exactly the same bytes; they
// differ only in the instructions they need. The exported functions use the
// fastest one this CPU runs, chosen on first use; tests, the fuzzer and the
// benchmarks can call each one that the CPU supports.

#include <cstdint>
#include <vector>

#include "cpu/features.h"

namespace base64 {

struct Kernel {
    const char* name;
    cpu::Feature needs;
    // Both take a non-empty input and a destination that holds the size
    // bound of n; they return the bytes written.
    std::uint32_t (*encode)(const unsigned char* src, std::uint32_t n, unsigned char* dst);
    std::uint32_t (*decode)(const unsigned char* src, std::uint32_t n, unsigned char* dst);
};

extern const Kernel kScalarKernel;
extern const Kernel kSsse3Kernel;
extern const Kernel kAvx2Kernel;

// The kernels this CPU runs, the slowest (scalar) first.
std::vector<const Kernel*> SupportedKernels();

// The last of SupportedKernels(), found once.
const Kernel& ChosenKernel();

// Encode and Decode with the argument checks of the exported functions, run
// by the given kernel.
int EncodeWith(const Kernel& kernel, const unsigned char* src, std::uint32_t srclen, unsigned char* dst,
               std::uint32_t dstlen);
int DecodeWith(const Kernel& kernel, const char* src, std::uint32_t srclen, unsigned char* dst,
               std::uint32_t dstlen);

}  // namespace base64
