#pragma once
// The vector kernels' blocks, written once over a register type's traits
// (V128 here, V256 beside the AVX2 kernel). Each kernel includes this file
// inside its target region, after <immintrin.h>, <cstdint>, <cstring>,
// "base64/scalar.h" and "base64/vector_tables.h": everything here is then
// compiled for that kernel's instruction set, and the anonymous namespace
// keeps each kernel's copy its own.
//
// Encoding: each 32-bit lane takes three input bytes b0 b1 b2 as b1 b0 b2 b1,
// so that one 16-bit multiply per half moves every 6-bit field to the bottom
// of its own byte; a saturating subtract and a compare turn each value into
// a row of a 16-entry table of offsets to its character.
//
// Decoding: two 16-entry lookups, by low and high nibble, tell alphabet
// characters from the rest, and a third gives the offset from character to
// value; two multiply-adds join four 6-bit values into 24 bits, and a byte
// shuffle drops every fourth byte.

namespace {

using base64::vector_tables::Lane;

// The operations whose intrinsics differ between register widths only in
// their prefix (_mm, _mm256) and the suffix naming the width (si128, si256).
#define RERIDU_VECTOR_OPERATIONS(prefix, width)                                                            \
    static Vec Load(const unsigned char* p) { return prefix##_loadu_##width(reinterpret_cast<const Vec*>(p)); } \
    static void Store(unsigned char* p, Vec v) { prefix##_storeu_##width(reinterpret_cast<Vec*>(p), v); }      \
    static Vec Bytes(int b) { return prefix##_set1_epi8(static_cast<char>(b)); }                                \
    static Vec Words(int w) { return prefix##_set1_epi32(w); }                                                  \
    static Vec And(Vec a, Vec b) { return prefix##_and_##width(a, b); }                                         \
    static Vec Or(Vec a, Vec b) { return prefix##_or_##width(a, b); }                                           \
    static Vec Add(Vec a, Vec b) { return prefix##_add_epi8(a, b); }                                            \
    static Vec SubSaturated(Vec a, Vec b) { return prefix##_subs_epu8(a, b); }                                  \
    static Vec Greater(Vec a, Vec b) { return prefix##_cmpgt_epi8(a, b); }                                      \
    static Vec Equal(Vec a, Vec b) { return prefix##_cmpeq_epi8(a, b); }                                        \
    static Vec Shuffle(Vec table, Vec index) { return prefix##_shuffle_epi8(table, index); }                    \
    static Vec MulHigh16(Vec a, Vec b) { return prefix##_mulhi_epu16(a, b); }                                   \
    static Vec MulLow16(Vec a, Vec b) { return prefix##_mullo_epi16(a, b); }                                    \
    static Vec MulAddBytes(Vec a, Vec b) { return prefix##_maddubs_epi16(a, b); }                               \
    static Vec MulAddWords(Vec a, Vec b) { return prefix##_madd_epi16(a, b); }                                  \
    static Vec HighNibbles(Vec a) { return prefix##_and_##width(prefix##_srli_epi32(a, 4), Bytes(0x0F)); }      \
    static std::uint32_t ByteMask(Vec a) { return static_cast<std::uint32_t>(prefix##_movemask_epi8(a)); }

struct V128 {
    using Vec = __m128i;
    static constexpr unsigned kBytes = 16;
    static constexpr std::uint32_t kAllBytes = 0xFFFF;
    RERIDU_VECTOR_OPERATIONS(_mm, si128)

    // Four groups of three bytes, one to a 32-bit lane's reach; reads 16.
    static Vec LoadGroups(const unsigned char* p) { return Load(p); }
    static Vec Lanes(const Lane& lane) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(lane.data())); }
    // The 12 decoded bytes of each 16-byte lane, made contiguous.
    static Vec JoinLanes(Vec a) { return a; }
    static bool NoCommonBits(Vec a, Vec b) { return ByteMask(Equal(And(a, b), Bytes(0))) == kAllBytes; }
};

constexpr Lane kGroupSpread = {1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10};
// By value: 0-25 row 13, 26-51 row 0, 52-61 rows 1-10, 62 row 11, 63 row 12.
constexpr Lane kCharOffsets = {'a' - 26, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52,
                               '0' - 52, '0' - 52, '0' - 52, '+' - 62, '/' - 63, 'A', 0, 0};
// A table row, so that 32-bit code, short of registers, loads it rather
// than builds it anew each block.
constexpr Lane kSlashes = {'/', '/', '/', '/', '/', '/', '/', '/', '/', '/', '/', '/', '/', '/', '/', '/'};
constexpr Lane kDropFourth = {2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1};

template <class V>
typename V::Vec EncodeBlock(typename V::Vec groups) {
    const auto spread = V::Shuffle(groups, V::Lanes(kGroupSpread));
    const auto firstAndThird = V::MulHigh16(V::And(spread, V::Words(0x0FC0FC00)), V::Words(0x04000040));
    const auto secondAndFourth = V::MulLow16(V::And(spread, V::Words(0x003F03F0)), V::Words(0x01000010));
    const auto values = V::Or(firstAndThird, secondAndFourth);
    const auto upperCase = V::Greater(V::Bytes(26), values);
    const auto row = V::Or(V::SubSaturated(values, V::Bytes(51)), V::And(upperCase, V::Bytes(13)));
    return V::Add(values, V::Shuffle(V::Lanes(kCharOffsets), row));
}

// Class bits by low and high nibble: a byte is an alphabet character when
// its two lookups have no bit in common.
template <class V>
struct NibbleClasses {
    typename V::Vec low, high;

    explicit NibbleClasses(typename V::Vec chars)
        : low(V::Shuffle(V::Lanes(base64::vector_tables::kNibbles.lowClass), V::And(chars, V::Bytes(0x0F)))),
          high(V::Shuffle(V::Lanes(base64::vector_tables::kNibbles.highForbids), V::HighNibbles(chars))) {}
};

// A bit for each byte: set when it is an alphabet character.
template <class V>
std::uint32_t AlphabetMask(typename V::Vec chars) {
    const NibbleClasses<V> classes(chars);
    return V::ByteMask(V::Equal(V::And(classes.low, classes.high), V::Bytes(0)));
}

// The 3 bytes of each 4 alphabet characters, packed at the front; what the
// other characters give is garbage.
template <class V>
typename V::Vec DecodeBlock(typename V::Vec chars) {
    const auto row = V::Add(V::HighNibbles(chars), V::Equal(chars, V::Lanes(kSlashes)));
    const auto values = V::Add(chars, V::Shuffle(V::Lanes(base64::vector_tables::kNibbles.offsetByRow), row));
    const auto pairs = V::MulAddBytes(values, V::Words(0x01400140));
    const auto triples = V::MulAddWords(pairs, V::Words(0x00011000));
    return V::JoinLanes(V::Shuffle(triples, V::Lanes(kDropFourth)));
}

// Encodes whole blocks while `groups` has a block's worth and the block's
// loads stay within the source; advances all three.
template <class V>
void EncodeBlocks(const unsigned char*& src, std::uint32_t& groups, const unsigned char* srcEnd, unsigned char*& dst) {
    constexpr std::uint32_t kGroups = V::kBytes / 4;
    constexpr std::uint32_t kReads = 3 * kGroups + 4;
    while (groups >= kGroups && static_cast<std::uint32_t>(srcEnd - src) >= kReads) {
        V::Store(dst, EncodeBlock<V>(V::LoadGroups(src)));
        src += 3 * kGroups;
        dst += V::kBytes;
        groups -= kGroups;
    }
}

// Decodes whole blocks where they stand while every character of the next
// block is in the alphabet; advances src and out.
template <class V>
void DecodeBlocks(const unsigned char*& src, const unsigned char* end, unsigned char*& out) {
    // A block's store stays within the output bound, 3 bytes for every 4
    // characters left, while this many are left.
    constexpr std::ptrdiff_t kMargin = (4 * V::kBytes + 2) / 3;
    while (end - src >= kMargin) {
        // The hardware's stream prefetch stops at each 4 KiB page; asking a
        // kilobyte ahead keeps long texts coming across the boundaries.
        // (An address, not a pointer: it may lie past the end of the text.)
        _mm_prefetch(reinterpret_cast<const char*>(reinterpret_cast<std::uintptr_t>(src) + 1024), _MM_HINT_T0);
        const auto chars = V::Load(src);
        const NibbleClasses<V> classes(chars);
        if (!V::NoCommonBits(classes.low, classes.high)) return;
        V::Store(out, DecodeBlock<V>(chars));
        src += V::kBytes;
        out += V::kBytes / 4 * 3;
    }
}

// Decodes 16 characters a step. Where all are in the alphabet and no group
// is unfinished, they are decoded where they stand. Otherwise the whole
// groups before the first skipped byte are kept; at a group boundary (a line
// break, blanks between groups) the run of skipped bytes is stepped over, and
// anywhere else the alphabet characters are packed together on a stage,
// behind the unfinished group's, and decoded from there a few blocks at a
// time.
class BlockDecoder {
public:
    // A step reads 16 characters and its 16-byte stores stay within the
    // output bound while this many characters are left.
    static constexpr std::ptrdiff_t kStepMargin = 40;

    bool AtGroupBoundary() const { return staged_ == 0; }

    const unsigned char* Step(const unsigned char* src, unsigned char*& out) {
        const __m128i chars = V128::Load(src);
        std::uint32_t keep = AlphabetMask<V128>(chars);
        if (staged_ == 0) {
            V128::Store(out, DecodeBlock<V128>(chars));
            if (keep == V128::kAllBytes) {
                out += 12;
                return src + 16;
            }
            const auto first = static_cast<unsigned>(__builtin_ctz(~keep));
            const unsigned whole = first & ~3u;
            out += whole / 4 * 3;
            if (first == whole) {
                const std::uint32_t after = keep >> first;
                return after == 0 ? src + 16 : src + first + __builtin_ctz(after);
            }
            keep &= V128::kAllBytes << whole;
        }
        staged_ += Compact(chars, keep, stage_ + staged_);
        if (staged_ >= kFlushAt) Flush(out);
        return src + 16;
    }

    // Decodes the characters left over, and the unfinished group's.
    unsigned char* Finish(const unsigned char* src, const unsigned char* end, unsigned char* out) const {
        base64::scalar::Decoder tail;
        out = tail.Run(stage_, stage_ + staged_, out);
        out = tail.Run(src, end, out);
        return tail.Finish(out);
    }

private:
    // Decodes the whole groups of the stage, a block at a time, and keeps
    // the characters of the unfinished group.
    void Flush(unsigned char*& out) {
        const unsigned whole = staged_ / 4 * 4;
        for (unsigned done = 0; done < whole; done += 16) {
            V128::Store(out, DecodeBlock<V128>(V128::Load(stage_ + done)));
            out += (whole - done < 16 ? whole - done : 16) / 4 * 3;
        }
        std::memcpy(stage_, stage_ + whole, 4);
        staged_ -= whole;
    }

    // Appends the bytes of `chars` whose bits are set in `keep` at dst,
    // writing up to 16 bytes there; returns how many were kept.
    static unsigned Compact(__m128i chars, std::uint32_t keep, unsigned char* dst) {
        const auto& table = base64::vector_tables::kCompaction;
        const unsigned low = keep & 0xFF;
        const unsigned high = keep >> 8;
        const __m128i lowOrder = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(table.order[low].data()));
        const __m128i highOrder = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(table.order[high].data()));
        const __m128i packed =
            _mm_shuffle_epi8(chars, _mm_unpacklo_epi64(lowOrder, _mm_add_epi8(highOrder, _mm_set1_epi8(8))));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(dst), packed);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + table.count[low]), _mm_unpackhi_epi64(packed, packed));
        return table.count[low] + table.count[high];
    }

    // The stage is decoded once it holds this many characters: the loads
    // then find the compacted characters in the cache rather than still on
    // their way from the stores.
    static constexpr unsigned kFlushAt = 64;
    // Up to kFlushAt - 1 characters, a step's compaction behind them, and
    // the rest of the last block that a flush loads.
    unsigned char stage_[kFlushAt + 32] = {};
    unsigned staged_ = 0;
};

// A kernel's two functions over blocks of V, then of V128 for what is left.

template <class V>
unsigned char* EncodeLine(const unsigned char* src, std::uint32_t groups, const unsigned char* srcEnd,
                          unsigned char* dst) {
    EncodeBlocks<V>(src, groups, srcEnd, dst);
    EncodeBlocks<V128>(src, groups, srcEnd, dst);
    return base64::scalar::EncodeGroups(src, groups, dst);
}

template <class V>
std::uint32_t Encode(const unsigned char* src, std::uint32_t n, unsigned char* dst) {
    return base64::scalar::EncodeLines(src, n, dst, EncodeLine<V>);
}

template <class V>
std::uint32_t Decode(const unsigned char* src, std::uint32_t n, unsigned char* dst) {
    const unsigned char* const end = src + n;
    unsigned char* out = dst;
    BlockDecoder decoder;
    for (;;) {
        if (decoder.AtGroupBoundary()) DecodeBlocks<V>(src, end, out);
        if (end - src < BlockDecoder::kStepMargin) break;
        src = decoder.Step(src, out);
    }
    return static_cast<std::uint32_t>(decoder.Finish(src, end, out) - dst);
}

}  // namespace
