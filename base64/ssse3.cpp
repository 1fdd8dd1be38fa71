// The kernel for CPUs with SSSE3: 12 bytes to 16 characters a block, and back.
#include <immintrin.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "base64/kernel.h"
#include "base64/scalar.h"
#include "cpu/target.h"
#include "base64/vector_tables.h"

RERIDU_TARGET_BEGIN("ssse3")
#include "base64/vector_codec.h"

RERIDU_TARGET_END

namespace base64 {
// Constant: no initialiser runs at load, on whatever CPU that is.
constexpr Kernel kSsse3Kernel = {"ssse3", cpu::Feature::kSsse3, Encode<V128>, Decode<V128>};
}  // namespace base64
