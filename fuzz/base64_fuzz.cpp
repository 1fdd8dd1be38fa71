// Decodes arbitrary text and round-trips arbitrary bytes; any result outside
// the size bounds, or a round trip that changes the bytes, is a crash.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "base64/base64.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size == 0 || size > (1u << 20)) return 0;
    const auto n = static_cast<std::uint32_t>(size);

    std::vector<unsigned char> decoded(*base64::DecodedSizeBound(n));
    const int decodedLength = base64::Decode(reinterpret_cast<const char*>(data), n, decoded.data(),
                                             static_cast<std::uint32_t>(decoded.size()));
    if (decodedLength < 0 || static_cast<size_t>(decodedLength) > decoded.size()) std::abort();

    std::vector<unsigned char> encoded(*base64::EncodedSizeBound(n));
    const int encodedLength = base64::Encode(data, n, encoded.data(), static_cast<std::uint32_t>(encoded.size()));
    if (encodedLength <= 0 || static_cast<size_t>(encodedLength) > encoded.size()) std::abort();

    std::vector<unsigned char> back(*base64::DecodedSizeBound(static_cast<std::uint32_t>(encodedLength)));
    const int backLength = base64::Decode(reinterpret_cast<const char*>(encoded.data()),
                                          static_cast<std::uint32_t>(encodedLength), back.data(),
                                          static_cast<std::uint32_t>(back.size()));
    if (backLength != static_cast<int>(size)) std::abort();
    for (size_t i = 0; i < size; ++i)
        if (back[i] != data[i]) std::abort();
    return 0;
}
