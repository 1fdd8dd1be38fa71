#include "proxy/relay/ip_literal.h"

#include <algorithm>
#include <cstddef>

#include "ult/hex_digit.h"

namespace relay {

std::optional<std::array<std::uint8_t, 4>> ParseIpv4Literal(std::string_view text) {
    std::array<std::uint8_t, 4> address{};
    std::size_t at = 0;
    for (std::size_t part = 0; part < 4; ++part) {
        if (part > 0) {
            if (at >= text.size() || text[at] != '.') return std::nullopt;
            ++at;
        }
        const std::size_t begin = at;
        unsigned value = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - begin < 3)
            value = value * 10 + static_cast<unsigned>(text[at++] - '0');
        const std::size_t digits = at - begin;
        if (digits == 0 || value > 255 || (digits > 1 && text[begin] == '0')) return std::nullopt;
        address[part] = static_cast<std::uint8_t>(value);
    }
    if (at != text.size()) return std::nullopt;
    return address;
}

std::optional<std::array<std::uint8_t, 16>> ParseIpv6Literal(std::string_view text) {
    std::array<std::uint8_t, 16> address{};
    std::size_t filled = 0;         // bytes written so far
    std::optional<std::size_t> gap; // where "::" stands, as a byte offset
    std::size_t at = 0;
    if (text.substr(0, 2) == "::") {
        gap = 0;
        at = 2;
    } else if (text.substr(0, 1) == ":") {
        return std::nullopt;
    }
    while (at < text.size()) {
        if (filled == 16) return std::nullopt;
        const std::size_t begin = at;
        unsigned value = 0;
        while (at < text.size() && at - begin < 4 && ult::HexDigitValue(text[at]) >= 0)
            value = value * 16 + static_cast<unsigned>(ult::HexDigitValue(text[at++]));
        if (at == begin) return std::nullopt;
        if (at < text.size() && text[at] == '.') {
            // A dotted IPv4 tail ends the text and fills the last four bytes.
            if (filled > 12) return std::nullopt;
            const auto tail = ParseIpv4Literal(text.substr(begin));
            if (!tail) return std::nullopt;
            std::copy(tail->begin(), tail->end(), address.begin() + static_cast<std::ptrdiff_t>(filled));
            filled += 4;
            at = text.size();
            break;
        }
        address[filled++] = static_cast<std::uint8_t>(value >> 8);
        address[filled++] = static_cast<std::uint8_t>(value & 0xFF);
        if (at == text.size()) break;
        if (text[at] != ':') return std::nullopt;
        ++at;
        if (at < text.size() && text[at] == ':') {
            if (gap) return std::nullopt;
            gap = filled;
            ++at;
        } else if (at == text.size()) {
            return std::nullopt;  // a single trailing colon
        }
    }
    if (gap) {
        // "::" stands for at least one group of zeros.
        if (filled == 16) return std::nullopt;
        const auto zeros = static_cast<std::ptrdiff_t>(16 - filled);
        const auto gapAt = address.begin() + static_cast<std::ptrdiff_t>(*gap);
        std::move_backward(gapAt, address.begin() + static_cast<std::ptrdiff_t>(filled), address.end());
        std::fill(gapAt, gapAt + zeros, std::uint8_t{0});
    } else if (filled != 16) {
        return std::nullopt;
    }
    return address;
}

}  // namespace relay
