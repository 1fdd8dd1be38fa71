#pragma once
// The registry operations that every layout is made of. Each reports whether
// it took effect; the layouts go on either way.

#include <windows.h>

#include <cstddef>
#include <string>

namespace shell_registration {

// Creates root\path and any missing parents, then sets the value.
[[nodiscard]] bool WriteString(HKEY root, const std::wstring& path, const std::wstring& name,
                               const std::wstring& text, DWORD type);

// Sets the value only where root\path already exists.
[[nodiscard]] bool WriteStringIfKeyExists(HKEY root, const std::wstring& path, const std::wstring& name,
                                          const std::wstring& text, DWORD type);
[[nodiscard]] bool WriteDwordIfKeyExists(HKEY root, const std::wstring& path, const std::wstring& name,
                                         DWORD number);

// Removes root\path with everything below it; an absent key counts as removed.
[[nodiscard]] bool DeleteTree(HKEY root, const std::wstring& path);

// Removes root\path, which must have no subkeys; an absent key counts as removed.
[[nodiscard]] bool DeleteKey(HKEY root, const std::wstring& path);

enum class Comparison { KeyMissing, Differs, Equal };

// Compares the value `name` of root\path with `expected`, letter case aside.
// An absent value reads as the empty string; one longer than maxLength
// characters never equals.
[[nodiscard]] Comparison CompareString(HKEY root, const std::wstring& path, const std::wstring& name,
                                       const std::wstring& expected, std::size_t maxLength);

}  // namespace shell_registration
