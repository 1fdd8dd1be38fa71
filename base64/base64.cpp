// Encoding turns every 12 input bits into two characters with one lookup in
// a 4096-entry table. Decoding has a fast path for four consecutive alphabet
// characters (four pre-shifted tables OR-ed together, with an out-of-range
// bit marking any byte outside the alphabet) and falls back to one character
// at a time only around skipped bytes, so CR LF every 2048 characters costs a
// handful of slow steps per line.
#include "base64/base64.h"

#include <array>
#include <cstring>

namespace base64 {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::uint32_t kGroupsPerLine = kLineLength / 4;

struct CharPairTable {
    std::array<char, 2 * 4096> pairs{};
    constexpr CharPairTable() {
        for (unsigned v = 0; v < 4096; ++v) {
            pairs[2 * v] = kAlphabet[v >> 6];
            pairs[2 * v + 1] = kAlphabet[v & 63];
        }
    }
};
constexpr CharPairTable kPairs;

constexpr std::uint8_t kSkip = 0xFF;

struct DecodeTables {
    std::array<std::uint8_t, 256> value{};  // 6-bit value, or kSkip
    // Four characters' contributions to the three output bytes, already in
    // place: byte 0 in bits 0-7, byte 1 in 8-15, byte 2 in 16-23.
    std::array<std::uint32_t, 256> at0{}, at1{}, at2{}, at3{};
    static constexpr std::uint32_t kBad = 0x01000000;

    constexpr DecodeTables() {
        for (unsigned c = 0; c < 256; ++c) {
            value[c] = kSkip;
            at0[c] = at1[c] = at2[c] = at3[c] = kBad;
        }
        for (std::uint32_t v = 0; v < 64; ++v) {
            const auto c = static_cast<unsigned char>(kAlphabet[v]);
            value[c] = static_cast<std::uint8_t>(v);
            at0[c] = v << 2;
            at1[c] = (v >> 4) | ((v & 0x0F) << 12);
            at2[c] = ((v >> 2) << 8) | ((v & 0x03) << 22);
            at3[c] = v << 16;
        }
    }
};
constexpr DecodeTables kDecode;

inline unsigned char* PutPair(unsigned char* out, std::uint32_t twelveBits) {
    std::memcpy(out, &kPairs.pairs[2 * twelveBits], 2);
    return out + 2;
}

inline unsigned char* EncodeGroup(unsigned char* out, const unsigned char* in) {
    const std::uint32_t v = (std::uint32_t{in[0]} << 16) | (std::uint32_t{in[1]} << 8) | in[2];
    out = PutPair(out, v >> 12);
    return PutPair(out, v & 0xFFF);
}

std::uint32_t EncodeUnchecked(const unsigned char* src, std::uint32_t n, unsigned char* dst) {
    unsigned char* out = dst;
    std::uint32_t groups = n / 3;
    while (groups > 0) {
        const std::uint32_t lineGroups = groups < kGroupsPerLine ? groups : kGroupsPerLine;
        for (std::uint32_t g = 0; g < lineGroups; ++g, src += 3) out = EncodeGroup(out, src);
        groups -= lineGroups;
        // A full line is closed even when it holds the last full group.
        if (lineGroups == kGroupsPerLine) {
            *out++ = '\r';
            *out++ = '\n';
        }
    }
    switch (n % 3) {
        case 1: {
            const std::uint32_t v = std::uint32_t{src[0]} << 4;
            out = PutPair(out, v);
            *out++ = '=';
            *out++ = '=';
            break;
        }
        case 2: {
            const std::uint32_t v = ((std::uint32_t{src[0]} << 8) | src[1]) << 2;
            out = PutPair(out, v >> 6);
            *out++ = static_cast<unsigned char>(kAlphabet[v & 63]);
            *out++ = '=';
            break;
        }
        default:
            break;
    }
    return static_cast<std::uint32_t>(out - dst);
}

inline unsigned char* PutTriple(unsigned char* out, std::uint32_t bytes) {
    out[0] = static_cast<unsigned char>(bytes);
    out[1] = static_cast<unsigned char>(bytes >> 8);
    out[2] = static_cast<unsigned char>(bytes >> 16);
    return out + 3;
}

// Writes four bytes, of which the fourth is scratch that a later store
// overwrites; only for callers that know the buffer reaches that far.
inline unsigned char* PutTripleWide(unsigned char* out, std::uint32_t bytes) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    std::memcpy(out, &bytes, 4);
    return out + 3;
#else
    return PutTriple(out, bytes);
#endif
}

std::uint32_t DecodeUnchecked(const unsigned char* src, std::uint32_t n, unsigned char* dst) {
    const unsigned char* const end = src + n;
    unsigned char* out = dst;
    std::uint32_t accumulator = 0;
    unsigned pending = 0;
    for (;;) {
        if (pending == 0) {
            // Two groups a step. With at least four more characters behind
            // them the output bound leaves room for a whole 32-bit store.
            while (end - src >= 12) {
                const std::uint32_t first =
                    kDecode.at0[src[0]] | kDecode.at1[src[1]] | kDecode.at2[src[2]] | kDecode.at3[src[3]];
                const std::uint32_t second =
                    kDecode.at0[src[4]] | kDecode.at1[src[5]] | kDecode.at2[src[6]] | kDecode.at3[src[7]];
                if ((first | second) & DecodeTables::kBad) break;
                out = PutTripleWide(out, first);
                out = PutTripleWide(out, second);
                src += 8;
            }
            while (end - src >= 4) {
                const std::uint32_t bytes =
                    kDecode.at0[src[0]] | kDecode.at1[src[1]] | kDecode.at2[src[2]] | kDecode.at3[src[3]];
                if (bytes & DecodeTables::kBad) break;
                out = PutTriple(out, bytes);
                src += 4;
            }
        }
        if (src == end) break;
        const std::uint8_t v = kDecode.value[*src++];
        if (v == kSkip) continue;
        accumulator = (accumulator << 6) | v;
        if (++pending == 4) {
            *out++ = static_cast<unsigned char>(accumulator >> 16);
            *out++ = static_cast<unsigned char>(accumulator >> 8);
            *out++ = static_cast<unsigned char>(accumulator);
            accumulator = 0;
            pending = 0;
        }
    }
    if (pending == 3) {
        *out++ = static_cast<unsigned char>(accumulator >> 10);
        *out++ = static_cast<unsigned char>(accumulator >> 2);
    } else if (pending == 2) {
        *out++ = static_cast<unsigned char>(accumulator >> 4);
    }
    return static_cast<std::uint32_t>(out - dst);
}

}  // namespace

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

int Encode(const unsigned char* src, std::uint32_t srclen, unsigned char* dst, std::uint32_t dstlen) {
    if (src == nullptr || dst == nullptr || srclen == 0) return 0;
    const std::optional<std::uint32_t> bound = EncodedSizeBound(srclen);
    if (!bound || dstlen < *bound) return 0;
    return static_cast<int>(EncodeUnchecked(src, srclen, dst));
}

int Decode(const char* src, std::uint32_t srclen, unsigned char* dst, std::uint32_t dstlen) {
    if (src == nullptr || dst == nullptr || srclen == 0) return 0;
    const std::optional<std::uint32_t> bound = DecodedSizeBound(srclen);
    if (!bound || dstlen < *bound) return 0;
    return static_cast<int>(DecodeUnchecked(reinterpret_cast<const unsigned char*>(src), srclen, dst));
}

}  // namespace base64
