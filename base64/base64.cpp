// The size bounds and argument checks of the exported functions; the work
// itself is done by the kernel chosen for this CPU.
#include "base64/base64.h"

#include "base64/kernel.h"

namespace base64 {

std::optional<std::uint32_t> EncodedSizeBound(std::uint32_t n) {
    const std::uint64_t characters = (std::uint64_t{n} + 2) / 3 * 4;
    const std::uint64_t total = characters + 2 * (characters / kLineLength);
    if (total > UINT32_MAX) return std::nullopt;
    return static_cast<std::uint32_t>(total);
}

std::optional<std::uint32_t> DecodedSizeBound(std::uint32_t n) {
    const std::uint64_t total = (std::uint64_t{n} + 3) / 4 * 3;
    // n + 3 itself must not wrap, or the 32-bit contract breaks for n close to 2^32.
    if (std::uint64_t{n} + 3 > UINT32_MAX) return std::nullopt;
    return static_cast<std::uint32_t>(total);
}

int GetEncodeSize(std::uint32_t n) { return static_cast<int>(EncodedSizeBound(n).value_or(0)); }

int GetDecodeSize(std::uint32_t n) { return static_cast<int>(DecodedSizeBound(n).value_or(0)); }

int EncodeWith(const Kernel& kernel, const unsigned char* src, std::uint32_t srclen, unsigned char* dst,
               std::uint32_t dstlen) {
    if (src == nullptr || dst == nullptr || srclen == 0) return 0;
    const std::optional<std::uint32_t> bound = EncodedSizeBound(srclen);
    if (!bound || dstlen < *bound) return 0;
    return static_cast<int>(kernel.encode(src, srclen, dst));
}

int DecodeWith(const Kernel& kernel, const char* src, std::uint32_t srclen, unsigned char* dst,
               std::uint32_t dstlen) {
    if (src == nullptr || dst == nullptr || srclen == 0) return 0;
    const std::optional<std::uint32_t> bound = DecodedSizeBound(srclen);
    if (!bound || dstlen < *bound) return 0;
    return static_cast<int>(kernel.decode(reinterpret_cast<const unsigned char*>(src), srclen, dst));
}

int Encode(const unsigned char* src, std::uint32_t srclen, unsigned char* dst, std::uint32_t dstlen) {
    return EncodeWith(ChosenKernel(), src, srclen, dst, dstlen);
}

int Decode(const char* src, std::uint32_t srclen, unsigned char* dst, std::uint32_t dstlen) {
    return DecodeWith(ChosenKernel(), src, srclen, dst, dstlen);
}

}  // namespace base64
