#pragma once
// Base64 (RFC 4648 alphabet, "=" padding) over caller-owned buffers, with the
// exported functions' exact contract: results are byte counts, 0 on failure.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace base64 {

// Encoded lines are broken after this many characters by CR LF.
constexpr std::uint32_t kLineLength = 2048;

// Upper bounds of the output for n input bytes or characters, or nothing when
// the bound does not fit in 32 bits. A 32-bit formula would wrap there and
// report a tiny buffer as large enough; refusing is the only safe answer.
std::optional<std::uint32_t> EncodedSizeBound(std::uint32_t n);
std::optional<std::uint32_t> DecodedSizeBound(std::uint32_t n);

// The bound as the exports return it: its 32-bit pattern, or 0.
int GetEncodeSize(std::uint32_t n);
int GetDecodeSize(std::uint32_t n);

// Returns the bytes written, or 0 without writing when src is null, srclen is
// 0 or dstlen is below the bound (dst must hold dstlen bytes; a null dst also
// gives 0).
int Encode(const unsigned char* src, std::uint32_t srclen, unsigned char* dst, std::uint32_t dstlen);

// Skips every byte outside the alphabet, "=" included, wherever it stands.
// Returns the bytes written, or 0 without writing when src or dst is null,
// srclen is 0 or dstlen is below the bound.
int Decode(const char* src, std::uint32_t srclen, unsigned char* dst, std::uint32_t dstlen);

// The padded text of `bytes` with no line breaks, for protocol fields such as
// an HTTP Basic credential, which a CR LF would cut in two.
std::string EncodeOneLine(std::string_view bytes);

}  // namespace base64
