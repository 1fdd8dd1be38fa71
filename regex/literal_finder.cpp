#include "regex/literal_finder.h"

#include <cstring>

#include "regex/byte_rarity.h"
#include "regex/charset.h"

#if defined(__SSE2__)
#include <emmintrin.h>
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

    // Bytes of the block of starts at p where both rare bytes are in place.
    template <bool Folded>
    __m128i hits(const char* p) const {
        __m128i both = _mm_set1_epi8(-1);
        for (int k = 0; k < 2; ++k) {
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

literal_finder::literal_finder(std::string_view literal, bool nocase) : needle_(literal), nocase_(nocase) {
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
#if defined(__SSE2__)
    if (const char* at = nocase_ ? scan<true>(first, final_start) : scan<false>(first, final_start)) return at;
#endif
    for (; first <= final_start; ++first)
        if (matches_at(first)) return first;
    return last;
}

#if defined(__SSE2__)
// Two blocks of sixteen starts to a step, tested together; a block reads up
// to the literal's last byte after its last start.
template <bool Folded>
const char* literal_finder::scan(const char*& first, const char* final_start) const {
    const rare_pair pair(rare_, cases_);
    while (final_start - first >= 2 * kBlock - 1) {
        const __m128i low = pair.hits<Folded>(first);
        const __m128i high = pair.hits<Folded>(first + kBlock);
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
        for (unsigned hits = mask(nocase_ ? pair.hits<true>(block) : pair.hits<false>(block)); hits != 0;) {
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
