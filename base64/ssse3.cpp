// The kernel for CPUs with SSSE3: 12 bytes to 16 characters a step, and back.
#include <immintrin.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "base64/kernel.h"
#include "base64/scalar.h"
#include "base64/target.h"
#include "base64/vector_tables.h"

RERIDU_TARGET_BEGIN("ssse3")
#include "base64/vector_codec.h"

namespace {

unsigned char* EncodeLine(const unsigned char* src, std::uint32_t groups, const unsigned char* srcEnd,
                          unsigned char* dst) {
    EncodeBlocks<V128>(src, groups, srcEnd, dst);
    return base64::scalar::EncodeGroups(src, groups, dst);
}

std::uint32_t Encode(const unsigned char* src, std::uint32_t n, unsigned char* dst) {
    return base64::scalar::EncodeLines(src, n, dst, EncodeLine);
}

std::uint32_t Decode(const unsigned char* src, std::uint32_t n, unsigned char* dst) {
    return static_cast<std::uint32_t>(BlockDecoder().Finish(src, src + n, dst) - dst);
}

}  // namespace
RERIDU_TARGET_END

namespace base64 {
const Kernel kSsse3Kernel = {"ssse3", CpuFeature::kSsse3, Encode, Decode};
}  // namespace base64
