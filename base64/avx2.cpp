// The kernel for CPUs with AVX2: 24 bytes to 32 characters a block, and back;
// the SSSE3 blocks, in their VEX forms, for what is left over.
//
// GCC does not realign the stack of a 64-bit Windows function for a 32-byte
// spill, so the Windows builds assemble this file with every aligned vector
// move turned into an unaligned one (see CMakeLists.txt).
#include <immintrin.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "base64/kernel.h"
#include "base64/scalar.h"
#include "cpu/target.h"
#include "base64/vector_tables.h"

RERIDU_TARGET_BEGIN("avx2")
#include "base64/vector_codec.h"

namespace {

struct V256 {
    using Vec = __m256i;
    static constexpr unsigned kBytes = 32;
    RERIDU_VECTOR_OPERATIONS(_mm256, si256)

    // Byte shuffles stay within 16-byte lanes: each lane gets its own four
    // groups. Reads 28 bytes.
    static Vec LoadGroups(const unsigned char* p) {
        return _mm256_inserti128_si256(_mm256_castsi128_si256(V128::Load(p)), V128::Load(p + 12), 1);
    }
    static Vec Lanes(const Lane& lane) { return _mm256_broadcastsi128_si256(V128::Lanes(lane)); }
    static Vec JoinLanes(Vec a) { return _mm256_permutevar8x32_epi32(a, _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7)); }
    static bool NoCommonBits(Vec a, Vec b) { return _mm256_testz_si256(a, b) != 0; }
};

}  // namespace

RERIDU_TARGET_END

namespace base64 {
// Constant: no initialiser runs at load, on whatever CPU that is.
constexpr Kernel kAvx2Kernel = {"avx2", cpu::Feature::kAvx2, Encode<V256>, Decode<V256>};
}  // namespace base64
