#include "tests/shell_registration/scratch_registry.h"

#include <shlwapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "tests/shell_registration/registry_dump.h"

namespace {

constexpr wchar_t kTestsKey[] = L"Software\\ReRiduTests";

std::wstring UniqueName() {
    static std::atomic<unsigned> counter{0};
    return L"shell_registration." + std::to_wstring(GetCurrentProcessId()) + L"." +
           std::to_wstring(GetTickCount()) + L"." + std::to_wstring(counter++);
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// Registry depth is bounded by the platform (512 levels), and these trees are the test's own.
void DumpTree(HKEY key, const std::wstring& path, std::vector<std::string>& lines) {
    DWORD subkeys = 0, longestSubkey = 0, values = 0, longestName = 0, longestData = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, &longestSubkey, nullptr, &values, &longestName,
                         &longestData, nullptr, nullptr) != ERROR_SUCCESS) {
        lines.push_back(Narrow(path) + " (cannot be read)");
        return;
    }
    if (subkeys == 0 && values == 0) lines.push_back(EmptyKey(path));
    for (DWORD i = 0; i < values; ++i) {
        std::wstring name(longestName + 1, L'\0');
        std::vector<BYTE> data(longestData + 2);
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD type = 0;
        DWORD bytes = static_cast<DWORD>(data.size());
        if (RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, data.data(), &bytes) != ERROR_SUCCESS)
            continue;
        name.resize(nameLength);
        lines.push_back(DumpLine(path, name, type, data.data(), bytes));
    }
    for (DWORD i = 0; i < subkeys; ++i) {
        std::wstring name(longestSubkey + 1, L'\0');
        DWORD nameLength = static_cast<DWORD>(name.size());
        if (RegEnumKeyExW(key, i, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            continue;
        name.resize(nameLength);
        HKEY subkey = nullptr;
        if (RegOpenKeyExW(key, name.c_str(), 0, KEY_READ, &subkey) != ERROR_SUCCESS) continue;
        DumpTree(subkey, path + L"\\" + name, lines);
        RegCloseKey(subkey);
    }
}

}  // namespace

ScratchRegistry::ScratchRegistry() : basePath_(std::wstring(kTestsKey) + L"\\" + UniqueName()) {
    if (RegCreateKeyExW(HKEY_CURRENT_USER, basePath_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &base_, nullptr) != ERROR_SUCCESS) {
        error_ = "cannot create the scratch key";
        return;
    }
    const Redirection roots[] = {{HKEY_CLASSES_ROOT, "HKCR", nullptr},
                                 {HKEY_CURRENT_USER, "HKCU", nullptr},
                                 {HKEY_LOCAL_MACHINE, "HKLM", nullptr}};
    for (Redirection root : roots) {
        const std::wstring name(root.name, root.name + 4);
        if (RegCreateKeyExW(base_, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &root.scratch, nullptr) != ERROR_SUCCESS ||
            RegOverridePredefKey(root.predefined, root.scratch) != ERROR_SUCCESS) {
            if (root.scratch != nullptr) RegCloseKey(root.scratch);
            error_ = std::string("cannot redirect ") + root.name;
            return;
        }
        redirections_.push_back(root);
    }
}

ScratchRegistry::~ScratchRegistry() {
    for (const Redirection& root : redirections_) {
        RegOverridePredefKey(root.predefined, nullptr);
        RegCloseKey(root.scratch);
    }
    if (deletedKey_ != nullptr) RegCloseKey(deletedKey_);
    if (base_ == nullptr) return;
    RegCloseKey(base_);
    SHDeleteKeyW(HKEY_CURRENT_USER, basePath_.c_str());
    // Fails while another test program still has its scratch key there.
    RegDeleteKeyW(HKEY_CURRENT_USER, kTestsKey);
}

std::vector<std::string> ScratchRegistry::Dump() const {
    std::vector<std::string> lines;
    for (const Redirection& root : redirections_) {
        const std::wstring name(root.name, root.name + 4);
        DWORD subkeys = 0, values = 0;
        RegQueryInfoKeyW(root.scratch, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                         nullptr, nullptr, nullptr);
        // An empty root is no news.
        if (subkeys != 0 || values != 0) DumpTree(root.scratch, name, lines);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

void ScratchRegistry::MakeClassesRootUnwritable() {
    if (RegCreateKeyExW(base_, L"deleted", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &deletedKey_, nullptr) != ERROR_SUCCESS ||
        RegDeleteKeyW(base_, L"deleted") != ERROR_SUCCESS ||
        RegOverridePredefKey(HKEY_CLASSES_ROOT, deletedKey_) != ERROR_SUCCESS)
        ADD_FAILURE() << "cannot make HKEY_CLASSES_ROOT unwritable";
}

void CreateKey(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS)
        << Narrow(path);
    RegCloseKey(key);
}

void SetString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& text, DWORD type) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS)
        << Narrow(path);
    EXPECT_EQ(RegSetValueExW(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>(text.size() * sizeof(wchar_t))),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

bool KeyExists(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}
