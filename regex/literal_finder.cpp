#include "regex/literal_finder.h"

#include <cstdint>
#include <cstring>

#include "regex/byte_rarity.h"
#include "regex/charset.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if RERIDU_X86
#include <immintrin.h>
#endif

namespace regex::detail {
namespace {

#if defined(__SSE2__)

constexpr std::ptrdiff_t kBlock = 16;

// The two rare bytes of a literal as SSE2 vectors, each in both its cases.
struct rare_pair {
    __m128i one[2];
    __m128i other[2];
    std::ptrdiff_t offset[2];

    rare_pair(const std::size_t (&offsets)[2], const unsigned char (&cases)[2][2]) {
        for (int k = 0; k < 2; ++k) {
            one[k] = _mm_set1_epi8(static_cast<char>(cases[k][0]));
            other[k] = _mm_set1_epi8(static_cast<char>(cases[k][1]));
            offset[k] = static_cast<std::ptrdiff_t>(offsets[k]);
        }
    }

    // Bytes of the block of starts at p where the rare bytes (the first
    // alone unless Pair) are in place.
    template <bool Folded, bool Pair>
    __m128i hits(const char* p) const {
        __m128i both = _mm_set1_epi8(-1);
        for (int k = 0; k < (Pair ? 2 : 1); ++k) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + offset[k]));
            __m128i equal = _mm_cmpeq_epi8(x, one[k]);
            if constexpr (Folded) equal = _mm_or_si128(equal, _mm_cmpeq_epi8(x, other[k]));
            both = _mm_and_si128(both, equal);
        }
        return both;
    }
};

inline unsigned mask(__m128i bytes) { return static_cast<unsigned>(_mm_movemask_epi8(bytes)); }

#endif

}  // namespace

literal_finder::literal_finder(std::string_view literal, bool nocase, bool wide)
    : needle_(literal), nocase_(nocase), wide_(wide) {
    if (nocase)
        for (char& c : needle_) c = static_cast<char>(to_lower(static_cast<unsigned char>(c)));
    // A letter under ignore-case is as common as the commoner of its cases.
    const auto commonness = [&](std::size_t i) {
        const auto c = static_cast<unsigned char>(needle_[i]);
        const unsigned lower = byte_commonness(c);
        const unsigned upper = nocase ? byte_commonness(to_upper(c)) : 0;
        return lower > upper ? lower : upper;
    };
    std::size_t rarest = 0;
    for (std::size_t i = 1; i < needle_.size(); ++i)
        if (commonness(i) < commonness(rarest)) rarest = i;
    std::size_t second = rarest;
    for (std::size_t i = 0; i < needle_.size(); ++i)
        if (i != rarest && (second == rarest || commonness(i) < commonness(second))) second = i;
    rare_[0] = rarest < second ? rarest : second;
    rare_[1] = rarest < second ? second : rarest;
    pair_ = rare_[0] != rare_[1];
    for (int k = 0; k < 2; ++k) {
        const auto c = static_cast<unsigned char>(needle_[rare_[k]]);
        cases_[k][0] = c;
        cases_[k][1] = nocase ? to_upper(c) : c;
    }
}

bool literal_finder::matches_at(const char* at) const {
    if (!nocase_) return std::memcmp(at, needle_.data(), needle_.size()) == 0;
    const unsigned char* lower = lower_case_table();
    for (std::size_t i = 0; i < needle_.size(); ++i)
        if (lower[static_cast<unsigned char>(at[i])] != static_cast<unsigned char>(needle_[i])) return false;
    return true;
}

const char* literal_finder::find(const char* first, const char* last) const {
    const auto n = static_cast<std::ptrdiff_t>(needle_.size());
    if (last - first < n) return last;
    const char* const final_start = last - n;
#if RERIDU_X86
    if (wide_) {
        const char* at = nocase_ ? (pair_ ? scan_wide<true, true>(first, final_start) : scan_wide<true, false>(first, final_start))
                                 : (pair_ ? scan_wide<false, true>(first, final_start) : scan_wide<false, false>(first, final_start));
        if (at != nullptr) return at;
    }
#endif
#if defined(__SSE2__)
    const char* at = nocase_ ? (pair_ ? scan<true, true>(first, final_start) : scan<true, false>(first, final_start))
                             : (pair_ ? scan<false, true>(first, final_start) : scan<false, false>(first, final_start));
    if (at != nullptr) return at;
#endif
    for (; first <= final_start; ++first)
        if (matches_at(first)) return first;
    return last;
}

#if RERIDU_X86
namespace {

// Bytes of the 32 starts at p where the rare bytes are in place; probes
// holds the first rare byte's two cases, then the second's.
template <bool Folded, bool Pair>
RERIDU_AVX2_FUNCTION inline __m256i wide_hits(const char* p, const std::ptrdiff_t (&offsets)[2], const __m256i* probes) {
    const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + offsets[0]));
    __m256i hits = _mm256_cmpeq_epi8(x, probes[0]);
    if constexpr (Folded) hits = _mm256_or_si256(hits, _mm256_cmpeq_epi8(x, probes[1]));
    if constexpr (Pair) {
        const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + offsets[1]));
        __m256i second = _mm256_cmpeq_epi8(y, probes[2]);
        if constexpr (Folded) second = _mm256_or_si256(second, _mm256_cmpeq_epi8(y, probes[3]));
        hits = _mm256_and_si256(hits, second);
    }
    return hits;
}

// The first of the 32 starts at block where the rare bytes are in place
// and matches_at holds, or nullptr.
template <bool Folded, bool Pair, class MatchesAt>
RERIDU_AVX2_FUNCTION inline const char* first_in_wide_block(const char* block, const std::ptrdiff_t (&offsets)[2],
                                                  const __m256i* probes, const MatchesAt& matches_at) {
    const __m256i hits = wide_hits<Folded, Pair>(block, offsets, probes);
    for (auto bits = static_cast<unsigned>(_mm256_movemask_epi8(hits)); bits != 0; bits &= bits - 1) {
        const char* at = block + __builtin_ctz(bits);
        if (matches_at(at)) return at;
    }
    return nullptr;
}

}  // namespace

// The SSE2 scan below with 32-byte vectors, four to a step. Most steps do
// not even hold the rarest byte, and one test of it settles all four; the
// second byte is looked at only when it is there. The step is written out
// block by block: i686 has eight vector registers, and an array of hits
// would live on the stack.
template <bool Folded, bool Pair>
RERIDU_AVX2_FUNCTION const char* literal_finder::scan_wide(const char*& first, const char* final_start) const {
    constexpr std::ptrdiff_t kWide = 32;
    constexpr int kBlocks = 4;
    const std::ptrdiff_t offsets[2] = {static_cast<std::ptrdiff_t>(rare_[0]), static_cast<std::ptrdiff_t>(rare_[1])};
    const __m256i probes[4] = {
        _mm256_set1_epi8(static_cast<char>(cases_[0][0])), _mm256_set1_epi8(static_cast<char>(cases_[0][1])),
        _mm256_set1_epi8(static_cast<char>(cases_[1][0])), _mm256_set1_epi8(static_cast<char>(cases_[1][1]))};
    const auto look_in = [&](const char* block) {
        return first_in_wide_block<Folded, Pair>(block, offsets, probes, [this](const char* at) { return matches_at(at); });
    };
    if (final_start - first < kBlocks * kWide - 1) return nullptr;
    // A load across two cache lines costs two: after one block from first,
    // the steps go on where the rarest byte's loads are aligned, looking at
    // a few starts twice.
    if (const auto misalignment = reinterpret_cast<std::uintptr_t>(first + offsets[0]) % kWide; misalignment != 0) {
        if (const char* at = look_in(first)) return at;
        first += kWide - static_cast<std::ptrdiff_t>(misalignment);
    }
    while (final_start - first >= kBlocks * kWide - 1) {
        const __m256i any = _mm256_or_si256(
            _mm256_or_si256(wide_hits<Folded, false>(first, offsets, probes),
                            wide_hits<Folded, false>(first + kWide, offsets, probes)),
            _mm256_or_si256(wide_hits<Folded, false>(first + 2 * kWide, offsets, probes),
                            wide_hits<Folded, false>(first + 3 * kWide, offsets, probes)));
        if (!_mm256_testz_si256(any, any)) {
            for (int b = 0; b < kBlocks; ++b)
                if (const char* at = look_in(first + b * kWide)) return at;
        }
        first += kBlocks * kWide;
    }
    return nullptr;
}
#endif

#if defined(__SSE2__)
// Two blocks of sixteen starts to a step, tested together; a block reads up
// to the literal's last byte after its last start.
template <bool Folded, bool Pair>
const char* literal_finder::scan(const char*& first, const char* final_start) const {
    const rare_pair pair(rare_, cases_);
    while (final_start - first >= 2 * kBlock - 1) {
        const __m128i low = pair.hits<Folded, Pair>(first);
        const __m128i high = pair.hits<Folded, Pair>(first + kBlock);
        if (mask(_mm_or_si128(low, high)) != 0) {
            for (unsigned hits = mask(low) | (mask(high) << kBlock); hits != 0; hits &= hits - 1) {
                const char* at = first + __builtin_ctz(hits);
                if (matches_at(at)) return at;
            }
        }
        first += 2 * kBlock;
    }
    return nullptr;
}
#endif

const char* literal_finder::find_last(const char* first, const char* last) const {
    const auto n = static_cast<std::ptrdiff_t>(needle_.size());
    if (last - first < n) return nullptr;
    // Starts still to look at: [first, first + starts).
    std::ptrdiff_t starts = last - first - n + 1;
#if defined(__SSE2__)
    const rare_pair pair(rare_, cases_);
    for (; starts >= kBlock; starts -= kBlock) {
        const char* block = first + (starts - kBlock);
        for (unsigned hits = mask(nocase_ ? pair.hits<true, true>(block) : pair.hits<false, true>(block)); hits != 0;) {
            const int top = 31 - __builtin_clz(hits);
            if (matches_at(block + top)) return block + top;
            hits &= ~(1u << top);
        }
    }
#endif
    while (starts > 0) {
        --starts;
        if (matches_at(first + starts)) return first + starts;
    }
    return nullptr;
}

}  // namespace regex::detail
