#include "regex/byte_finder.h"

#if defined(__SSE2__)
#include <emmintrin.h>
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

byte_finder::byte_finder(const char_table& set) : set_(set) {
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
