#include <utility>
#include <vector>

#include "base64/base64.h"
#include "base64/kernel.h"
#include "tests/base64/codec.h"

namespace {

template <const base64::Kernel* kernel>
int EncodeWith(const unsigned char* src, std::uint32_t srclen, unsigned char* dst, std::uint32_t dstlen) {
    return base64::EncodeWith(*kernel, src, srclen, dst, dstlen);
}

template <const base64::Kernel* kernel>
int DecodeWith(const char* src, std::uint32_t srclen, unsigned char* dst, std::uint32_t dstlen) {
    return base64::DecodeWith(*kernel, src, srclen, dst, dstlen);
}

template <const base64::Kernel* kernel>
Base64Codec KernelCodec() {
    return {kernel->name, base64::GetEncodeSize, base64::GetDecodeSize, EncodeWith<kernel>, DecodeWith<kernel>};
}

// The public functions (the kernel chosen for this CPU), then every kernel
// the CPU runs; the others are left out, and their tests with them.
std::vector<Base64Codec> PortableCodecs() {
    std::vector<Base64Codec> codecs = {
        {"direct", base64::GetEncodeSize, base64::GetDecodeSize, base64::Encode, base64::Decode}};
    const std::pair<const base64::Kernel*, Base64Codec> all[] = {
        {&base64::kScalarKernel, KernelCodec<&base64::kScalarKernel>()},
        {&base64::kSsse3Kernel, KernelCodec<&base64::kSsse3Kernel>()},
        {&base64::kAvx2Kernel, KernelCodec<&base64::kAvx2Kernel>()}};
    for (const base64::Kernel* kernel : base64::SupportedKernels())
        for (const auto& [candidate, codec] : all)
            if (candidate == kernel) codecs.push_back(codec);
    return codecs;
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Portable, Base64Test, ::testing::ValuesIn(PortableCodecs()), CodecName);
