#pragma once
// Numeric IP addresses as text, read without the socket library (whose
// inet_pton the oldest supported Windows lacks).

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace relay {

// Four decimal numbers of at most 255 separated by dots, with no leading
// zeros (which some readers take for octal) and nothing else; network order.
std::optional<std::array<std::uint8_t, 4>> ParseIpv4Literal(std::string_view text);

// Up to eight groups of one to four hex digits separated by colons, at most
// one "::" standing for one or more zero groups, and optionally a dotted IPv4
// address in place of the last two groups. No brackets, zone or prefix
// length. Network order.
std::optional<std::array<std::uint8_t, 16>> ParseIpv6Literal(std::string_view text);

}  // namespace relay
