#pragma once
// One kernel's encoding or decoding of a whole input into a buffer of exactly
// the size bound. The fuzz target shares it, so it needs no test framework.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "base64/base64.h"
#include "base64/kernel.h"

namespace base64_test {

// What the kernel wrote, or nothing when the length it reported does not fit the buffer.
inline std::optional<std::string> Written(int length, std::string buffer) {
    if (length < 0 || static_cast<std::size_t>(length) > buffer.size()) return std::nullopt;
    buffer.resize(static_cast<std::size_t>(length));
    return buffer;
}

inline std::optional<std::string> EncodedWith(const base64::Kernel& kernel, const std::string& bytes) {
    const auto n = static_cast<std::uint32_t>(bytes.size());
    std::string text(*base64::EncodedSizeBound(n), '\0');
    const int length = base64::EncodeWith(kernel, reinterpret_cast<const unsigned char*>(bytes.data()), n,
                                          reinterpret_cast<unsigned char*>(text.data()),
                                          static_cast<std::uint32_t>(text.size()));
    return Written(length, std::move(text));
}

inline std::optional<std::string> DecodedWith(const base64::Kernel& kernel, const std::string& text) {
    const auto n = static_cast<std::uint32_t>(text.size());
    std::string bytes(*base64::DecodedSizeBound(n), '\0');
    const int length = base64::DecodeWith(kernel, text.data(), n, reinterpret_cast<unsigned char*>(bytes.data()),
                                          static_cast<std::uint32_t>(bytes.size()));
    return Written(length, std::move(bytes));
}

}  // namespace base64_test
