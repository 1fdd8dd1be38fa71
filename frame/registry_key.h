#pragma once
// One open registry key, owned.

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>

#include "frame/unique_object.h"

class RegistryKey {
public:
    // root\path opened with RegOpenKeyW's default access, or nothing.
    [[nodiscard]] static std::optional<RegistryKey> Open(HKEY root, const std::wstring& path);
    // root\path opened with exactly `access`, or nothing.
    [[nodiscard]] static std::optional<RegistryKey> Open(HKEY root, const std::wstring& path, REGSAM access);
    // root\path, created with any missing parents, opened to set values only.
    [[nodiscard]] static std::optional<RegistryKey> CreateForValues(HKEY root, const std::wstring& path);

    HKEY get() const { return key_.get(); }

    // An empty name is the key's default value. Strings are set with a byte
    // count of twice their length: the terminating NUL is not counted.
    [[nodiscard]] bool SetString(const std::wstring& name, const std::wstring& text, DWORD type) const;
    [[nodiscard]] bool SetDword(const std::wstring& name, DWORD number) const;
    [[nodiscard]] bool DeleteValue(const std::wstring& name) const;

    // Reads a value of at most maxLength characters, whatever its type, as
    // text up to its first NUL. Returns ERROR_SUCCESS, ERROR_FILE_NOT_FOUND
    // for an absent value, ERROR_MORE_DATA for a longer one, or another
    // error; *text changes only on success.
    [[nodiscard]] LONG ReadString(const std::wstring& name, std::size_t maxLength, std::wstring* text) const;
    // A value of exactly four bytes, whatever its type, or nothing.
    [[nodiscard]] std::optional<DWORD> ReadDword(const std::wstring& name) const;

private:
    explicit RegistryKey(HKEY key) : key_(key) {}

    UniqueRegistryKey key_;
};
