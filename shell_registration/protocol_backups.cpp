// The four hive files are written by the browser's installer with the
// platform's key-save function; this module only reads and then deletes
// them. "http.DefaultIcon.imp" stands for the whole set: without it there is
// nothing to restore.
#include "shell_registration/protocol_backups.h"

#include <windows.h>
#include <shlwapi.h>

#include <optional>
#include <string>

#include "shell_registration/key_restore.h"
#include "frame/registry_key.h"
#include "frame/unique_object.h"

namespace shell_registration {
namespace {

struct Backup {
    const wchar_t* key;  // under HKEY_CLASSES_ROOT
    const wchar_t* file;
};

constexpr Backup kBackups[] = {
    {L"http\\DefaultIcon", L"http.DefaultIcon.imp"},
    {L"http\\shell", L"http.shell.imp"},
    {L"https\\DefaultIcon", L"https.DefaultIcon.imp"},
    {L"https\\shell", L"https.shell.imp"},
};

// The directory of the process's main module, with its trailing backslash.
std::optional<std::wstring> ProgramDirectory() {
    constexpr std::size_t kLongestPath = 32767;
    std::wstring path;
    for (std::size_t capacity = MAX_PATH;; capacity *= 2) {
        path.resize(capacity);
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(capacity));
        if (length == 0) return std::nullopt;
        if (length < capacity) {
            path.resize(length);
            break;
        }
        if (capacity > kLongestPath) return std::nullopt;
    }
    const std::size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos) return std::nullopt;
    path.resize(slash + 1);
    return path;
}

bool EnableRestorePrivilege() {
    HANDLE rawToken = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_READ, &rawToken)) return false;
    const UniqueHandle token(rawToken);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueW(nullptr, SE_RESTORE_NAME, &privileges.Privileges[0].Luid)) return false;
    // Without the privilege each restore fails on its own, and the keys keep what they hold.
    AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
    return true;
}

void RestoreKeyFromFile(const wchar_t* keyPath, const std::wstring& file) {
    std::optional<RegistryKey> key = RegistryKey::Open(HKEY_CLASSES_ROOT, keyPath, KEY_ALL_ACCESS);
    if (!key) return;
    // A backup is restored once: a failed restore is not retried from the same file.
    static_cast<void>(RestoreKey(key->get(), file.c_str(), REG_FORCE_RESTORE));
    key.reset();
    DeleteFileW(file.c_str());
}

}  // namespace

bool RestoreProtocolBackups() {
    const std::optional<std::wstring> directory = ProgramDirectory();
    if (!directory) return false;
    if (!PathFileExistsW((*directory + kBackups[0].file).c_str())) return false;
    if (!EnableRestorePrivilege()) return false;
    for (const Backup& backup : kBackups) RestoreKeyFromFile(backup.key, *directory + backup.file);
    return true;
}

}  // namespace shell_registration
