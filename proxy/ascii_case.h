#pragma once
// Letter case of ASCII only, whatever the character width: protocol names,
// header names and document keys are ASCII, and the platform's case rules
// would depend on the locale.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>

namespace proxy {

template <typename Char>
constexpr Char LowerAscii(Char c) {
    return c >= Char('A') && c <= Char('Z') ? static_cast<Char>(c - Char('A') + Char('a')) : c;
}

// Texts of either width compare by code unit, narrow bytes taken as unsigned.
template <typename CharA, typename CharB>
constexpr bool EqualsIgnoringAsciiCase(std::basic_string_view<CharA> a, std::basic_string_view<CharB> b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto unitA = static_cast<std::uint32_t>(static_cast<std::make_unsigned_t<CharA>>(LowerAscii(a[i])));
        const auto unitB = static_cast<std::uint32_t>(static_cast<std::make_unsigned_t<CharB>>(LowerAscii(b[i])));
        if (unitA != unitB) return false;
    }
    return true;
}

constexpr bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return EqualsIgnoringAsciiCase<char, char>(a, b);
}

constexpr bool EqualsIgnoringAsciiCase(std::wstring_view a, std::string_view b) {
    return EqualsIgnoringAsciiCase<wchar_t, char>(a, b);
}

}  // namespace proxy
