// Encoding turns every 12 input bits into two characters with one lookup in
// a 4096-entry table. Decoding has a fast path for four consecutive alphabet
// characters (four pre-shifted tables OR-ed together, with an out-of-range
// bit marking any byte outside the alphabet) and falls back to one character
// at a time only around skipped bytes, so CR LF every 2048 characters costs a
// handful of slow steps per line.
#include "base64/scalar.h"

#include <array>
#include <cstring>

#include "base64/alphabet.h"
#include "base64/base64.h"

namespace base64::scalar {
namespace {

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

unsigned char* EncodeLineGroups(const unsigned char* src, std::uint32_t groups, const unsigned char*,
                                unsigned char* dst) {
    return EncodeGroups(src, groups, dst);
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

}  // namespace

unsigned char* EncodeGroups(const unsigned char* src, std::uint32_t groups, unsigned char* dst) {
    for (; groups > 0; --groups, src += 3) dst = EncodeGroup(dst, src);
    return dst;
}

unsigned char* EncodeLastGroup(const unsigned char* src, std::uint32_t length, unsigned char* dst) {
    switch (length) {
        case 1:
            dst = PutPair(dst, std::uint32_t{src[0]} << 4);
            *dst++ = '=';
            *dst++ = '=';
            break;
        case 2: {
            const std::uint32_t v = ((std::uint32_t{src[0]} << 8) | src[1]) << 2;
            dst = PutPair(dst, v >> 6);
            *dst++ = static_cast<unsigned char>(kAlphabet[v & 63]);
            *dst++ = '=';
            break;
        }
        default:
            break;
    }
    return dst;
}

std::uint32_t EncodeLines(const unsigned char* src, std::uint32_t n, unsigned char* dst, GroupsEncoder encodeGroups) {
    const unsigned char* const end = src + n;
    unsigned char* out = dst;
    std::uint32_t groups = n / 3;
    while (groups > 0) {
        const std::uint32_t lineGroups = groups < kGroupsPerLine ? groups : kGroupsPerLine;
        out = encodeGroups(src, lineGroups, end, out);
        src += 3 * lineGroups;
        groups -= lineGroups;
        // A full line is closed even when it holds the last full group.
        if (lineGroups == kGroupsPerLine) {
            *out++ = '\r';
            *out++ = '\n';
        }
    }
    out = EncodeLastGroup(src, n % 3, out);
    return static_cast<std::uint32_t>(out - dst);
}

std::uint32_t Encode(const unsigned char* src, std::uint32_t n, unsigned char* dst) {
    return EncodeLines(src, n, dst, EncodeLineGroups);
}

unsigned char* Decoder::Run(const unsigned char* src, const unsigned char* end, unsigned char* out) {
    for (;;) {
        if (pending_ == 0) {
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
        if (src == end) return out;
        const std::uint8_t v = kDecode.value[*src++];
        if (v == kSkip) continue;
        accumulator_ = (accumulator_ << 6) | v;
        if (++pending_ == 4) {
            *out++ = static_cast<unsigned char>(accumulator_ >> 16);
            *out++ = static_cast<unsigned char>(accumulator_ >> 8);
            *out++ = static_cast<unsigned char>(accumulator_);
            accumulator_ = 0;
            pending_ = 0;
        }
    }
}

unsigned char* Decoder::Finish(unsigned char* out) const {
    if (pending_ == 3) {
        *out++ = static_cast<unsigned char>(accumulator_ >> 10);
        *out++ = static_cast<unsigned char>(accumulator_ >> 2);
    } else if (pending_ == 2) {
        *out++ = static_cast<unsigned char>(accumulator_ >> 4);
    }
    return out;
}

std::uint32_t Decode(const unsigned char* src, std::uint32_t n, unsigned char* dst) {
    Decoder decoder;
    unsigned char* out = decoder.Run(src, src + n, dst);
    return static_cast<std::uint32_t>(decoder.Finish(out) - dst);
}

}  // namespace base64::scalar
