#include "regex/byte_finder.h"


#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if RERIDU_X86
#include <immintrin.h>
#endif

namespace regex::detail {
namespace {

#if defined(__SSE2__)

constexpr int kBlock = 16;

// Bit i set where byte i of the block at p is one of the three.
inline unsigned block_hits(const char* p, __m128i a, __m128i b, __m128i c) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(x, a), _mm_cmpeq_epi8(x, b)), _mm_cmpeq_epi8(x, c));
    return static_cast<unsigned>(_mm_movemask_epi8(hits));
}

#endif

}  // namespace

byte_finder::byte_finder(const char_table& set, bool wide) : set_(set) {
    // Built for every pattern of every call: a word at a time.
    unsigned members = 0;
    for (unsigned word = 0; word < 8; ++word) {
        for (std::uint32_t bits = set.bits[word]; bits != 0 && members <= kMostCompared; bits &= bits - 1) {
            if (members < kMostCompared) bytes_[members] = static_cast<unsigned char>(word * 32 + __builtin_ctz(bits));
            ++members;
        }
    }
    if (members == 0 || members > kMostCompared) return;
    compared_ = members;
    wide_ = wide;
    for (unsigned i = members; i < kMostCompared; ++i) bytes_[i] = bytes_[0];
}

const char* byte_finder::find(const char* first, const char* last) const {
    if (compared_ == 0) {
        // Four lookups to a step keep the loop's own cost below the table's.
        while (last - first >= 4) {
            if (set_.test(static_cast<unsigned char>(first[0]))) return first;
            if (set_.test(static_cast<unsigned char>(first[1]))) return first + 1;
            if (set_.test(static_cast<unsigned char>(first[2]))) return first + 2;
            if (set_.test(static_cast<unsigned char>(first[3]))) return first + 3;
            first += 4;
        }
        while (first != last && !set_.test(static_cast<unsigned char>(*first))) ++first;
        return first;
    }
#if RERIDU_X86
    if (wide_)
        if (const char* at = find_wide(first, last)) return at;
#endif
#if defined(__SSE2__)
    const __m128i a = _mm_set1_epi8(static_cast<char>(bytes_[0]));
    const __m128i b = _mm_set1_epi8(static_cast<char>(bytes_[1]));
    const __m128i c = _mm_set1_epi8(static_cast<char>(bytes_[2]));
    // Two blocks to a step keep the loop's own cost below the loads'.
    for (; last - first >= 2 * kBlock; first += 2 * kBlock) {
        const unsigned low = block_hits(first, a, b, c);
        const unsigned high = block_hits(first + kBlock, a, b, c);
        if ((low | high) != 0) return first + __builtin_ctz(low | (high << kBlock));
    }
    for (; last - first >= kBlock; first += kBlock)
        if (const unsigned hits = block_hits(first, a, b, c)) return first + __builtin_ctz(hits);
#endif
    while (first != last && !set_.test(static_cast<unsigned char>(*first))) ++first;
    return first;
}

#if RERIDU_X86
namespace {

// Bytes of the 32 at p that are one of the three.
RERIDU_AVX2_FUNCTION inline __m256i wide_hits(const char* p, const __m256i* bytes) {
    const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    return _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi8(x, bytes[0]), _mm256_cmpeq_epi8(x, bytes[1])),
                           _mm256_cmpeq_epi8(x, bytes[2]));
}

}  // namespace

// Four 32-byte vectors to a step: most steps find nothing, and one test then settles all four.
RERIDU_AVX2_FUNCTION const char* byte_finder::find_wide(const char*& first, const char* last) const {
    constexpr std::ptrdiff_t kWide = 32;
    constexpr int kBlocks = 4;
    const __m256i bytes[3] = {_mm256_set1_epi8(static_cast<char>(bytes_[0])),
                              _mm256_set1_epi8(static_cast<char>(bytes_[1])),
                              _mm256_set1_epi8(static_cast<char>(bytes_[2]))};
    for (; last - first >= kBlocks * kWide; first += kBlocks * kWide) {
        __m256i hits[kBlocks];
        for (int b = 0; b < kBlocks; ++b) hits[b] = wide_hits(first + b * kWide, bytes);
        const __m256i any = _mm256_or_si256(_mm256_or_si256(hits[0], hits[1]), _mm256_or_si256(hits[2], hits[3]));
        if (_mm256_testz_si256(any, any)) continue;
        for (int b = 0; b < kBlocks; ++b)
            if (const auto bits = static_cast<unsigned>(_mm256_movemask_epi8(hits[b])))
                return first + b * kWide + __builtin_ctz(bits);
    }
    return nullptr;
}
#endif

const char* byte_finder::find_last(const char* first, const char* last) const {
#if defined(__SSE2__)
    if (compared_ != 0) {
        const __m128i a = _mm_set1_epi8(static_cast<char>(bytes_[0]));
        const __m128i b = _mm_set1_epi8(static_cast<char>(bytes_[1]));
        const __m128i c = _mm_set1_epi8(static_cast<char>(bytes_[2]));
        for (; last - first >= kBlock; last -= kBlock)
            if (const unsigned hits = block_hits(last - kBlock, a, b, c))
                return last - kBlock + (31 - __builtin_clz(hits));
    }
#endif
    while (last != first) {
        --last;
        if (set_.test(static_cast<unsigned char>(*last))) return last;
    }
    return nullptr;
}

}  // namespace regex::detail
