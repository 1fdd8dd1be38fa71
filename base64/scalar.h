#pragma once
// The table-driven codec, one group at a time: the whole codec on CPUs
// without vector units, and the short inputs, line ends and tails of the
// vector kernels.

#include <cstdint>

namespace base64::scalar {

// Encodes `groups` full 3-byte groups, with no line breaks.
unsigned char* EncodeGroups(const unsigned char* src, std::uint32_t groups, unsigned char* dst);
// Encodes the 0 to 2 bytes after the last full group, padded with "=".
unsigned char* EncodeLastGroup(const unsigned char* src, std::uint32_t length, unsigned char* dst);

// Turns `n` input bytes into lines of whole groups, each full line closed by
// CR LF, then the padded last partial group. `encodeGroups` writes at most
// one line's groups from a source that ends at `srcEnd`.
using GroupsEncoder = unsigned char* (*)(const unsigned char* src, std::uint32_t groups, const unsigned char* srcEnd,
                                         unsigned char* dst);
std::uint32_t EncodeLines(const unsigned char* src, std::uint32_t n, unsigned char* dst, GroupsEncoder encodeGroups);

std::uint32_t Encode(const unsigned char* src, std::uint32_t n, unsigned char* dst);
std::uint32_t Decode(const unsigned char* src, std::uint32_t n, unsigned char* dst);

// Decoding state that survives from one stretch of text to the next, so a
// vector kernel can hand over the rest of its input, and the characters of
// an unfinished group, at any point.
class Decoder {
public:
    // Every output store stays below dst plus the bound of all the text not
    // yet decoded: with at least four characters behind a group a 32-bit
    // store of its three bytes still fits.
    unsigned char* Run(const unsigned char* src, const unsigned char* end, unsigned char* out);
    // Writes what the characters of an unfinished group hold.
    unsigned char* Finish(unsigned char* out) const;

private:
    std::uint32_t accumulator_ = 0;
    unsigned pending_ = 0;
};

}  // namespace base64::scalar
