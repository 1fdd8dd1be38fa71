#include "frame/registry_key.h"

#include <cwchar>
#include <limits>
#include <vector>

std::optional<RegistryKey> RegistryKey::Open(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyW(root, path.c_str(), &key) != ERROR_SUCCESS) return std::nullopt;
    return RegistryKey(key);
}

std::optional<RegistryKey> RegistryKey::Open(HKEY root, const std::wstring& path, REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, access, &key) != ERROR_SUCCESS) return std::nullopt;
    return RegistryKey(key);
}

std::optional<RegistryKey> RegistryKey::CreateForValues(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return std::nullopt;
    return RegistryKey(key);
}

bool RegistryKey::SetString(const std::wstring& name, const std::wstring& text, DWORD type) const {
    if (text.size() > std::numeric_limits<DWORD>::max() / sizeof(wchar_t)) return false;
    const auto bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    return RegSetValueExW(get(), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(text.c_str()), bytes) ==
           ERROR_SUCCESS;
}

bool RegistryKey::SetDword(const std::wstring& name, DWORD number) const {
    return RegSetValueExW(get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                          sizeof number) == ERROR_SUCCESS;
}

bool RegistryKey::DeleteValue(const std::wstring& name) const {
    return RegDeleteValueW(get(), name.c_str()) == ERROR_SUCCESS;
}

LONG RegistryKey::ReadString(const std::wstring& name, std::size_t maxLength, std::wstring* text) const {
    // One character more than the longest accepted value, so that a value
    // that fills the buffer without a NUL is known to be too long.
    std::vector<wchar_t> buffer(maxLength + 1, L'\0');
    if (buffer.size() > std::numeric_limits<DWORD>::max() / sizeof(wchar_t)) return ERROR_INVALID_PARAMETER;
    auto bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    const LONG result =
        RegQueryValueExW(get(), name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &bytes);
    if (result != ERROR_SUCCESS) return result;
    const std::size_t length = wcsnlen(buffer.data(), buffer.size());
    if (length > maxLength) return ERROR_MORE_DATA;
    text->assign(buffer.data(), length);
    return ERROR_SUCCESS;
}

std::optional<DWORD> RegistryKey::ReadDword(const std::wstring& name) const {
    DWORD number = 0;
    DWORD bytes = sizeof number;
    if (RegQueryValueExW(get(), name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&number), &bytes) !=
            ERROR_SUCCESS ||
        bytes != sizeof number)
        return std::nullopt;
    return number;
}
