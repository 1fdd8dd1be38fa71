#include "shell_registration/registry_primitives.h"

#include <shlwapi.h>

#include <cwchar>

#include "frame/registry_key.h"

namespace shell_registration {

bool WriteString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& text,
                 DWORD type) {
    const std::optional<RegistryKey> key = RegistryKey::CreateForValues(root, path);
    return key && key->SetString(name, text, type);
}

bool WriteStringIfKeyExists(HKEY root, const std::wstring& path, const std::wstring& name,
                            const std::wstring& text, DWORD type) {
    const std::optional<RegistryKey> key = RegistryKey::Open(root, path);
    return key && key->SetString(name, text, type);
}

bool WriteDwordIfKeyExists(HKEY root, const std::wstring& path, const std::wstring& name, DWORD number) {
    const std::optional<RegistryKey> key = RegistryKey::Open(root, path);
    return key && key->SetDword(name, number);
}

bool DeleteTree(HKEY root, const std::wstring& path) {
    const DWORD result = SHDeleteKeyW(root, path.c_str());
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

bool DeleteKey(HKEY root, const std::wstring& path) {
    const LONG result = RegDeleteKeyW(root, path.c_str());
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

Comparison CompareString(HKEY root, const std::wstring& path, const std::wstring& name,
                         const std::wstring& expected, std::size_t maxLength) {
    const std::optional<RegistryKey> key = RegistryKey::Open(root, path);
    if (!key) return Comparison::KeyMissing;
    std::wstring stored;
    const LONG result = key->ReadString(name, maxLength, &stored);
    if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) return Comparison::Differs;
    return _wcsicmp(stored.c_str(), expected.c_str()) == 0 ? Comparison::Equal : Comparison::Differs;
}

}  // namespace shell_registration
