#pragma once
// The option bits a pattern is compiled with, and the matcher modes.

#include <cstdint>

namespace regex {

// Bits not named here are ignored.
using RegexFlags = std::uint32_t;

inline constexpr RegexFlags flag_ignore_case = 0x001;    // case from the C library's toupper/tolower
inline constexpr RegexFlags flag_global = 0x002;         // collect (or replace) every match
inline constexpr RegexFlags flag_multiline = 0x004;      // ^ and $ also at line feeds
inline constexpr RegexFlags flag_single_line = 0x008;    // . also matches a line feed
inline constexpr RegexFlags flag_rightmost = 0x010;      // try start positions right to left
inline constexpr RegexFlags flag_no_backrefs = 0x020;    // substitution keeps no group records
inline constexpr RegexFlags flag_first_backrefs = 0x040; // global: keep group 0 of every match
inline constexpr RegexFlags flag_all_backrefs = 0x080;   // global: keep every group of every match
inline constexpr RegexFlags flag_normalize = 0x100;      // \a \f \n \r \t are control characters
inline constexpr RegexFlags flag_extended = 0x200;       // skip white space and # comments

// Which engine runs a compiled pattern. Any other value selects the iterative one.
inline constexpr unsigned mode_recursive = 0;
inline constexpr unsigned mode_iterative = 1;
// Recursive unless the pattern recurses or repeats a group 17 or more times.
inline constexpr unsigned mode_mixed = 2;

}  // namespace regex
