#include "tests/support/scratch_registry.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <algorithm>
#include <atomic>

#include "tests/support/registry_dump.h"

namespace {

constexpr wchar_t kTestsKey[] = L"Software\\ReRiduTests";

struct Root {
    HKEY predefined;
    const wchar_t* name;
};
const Root kRoots[] = {{HKEY_CLASSES_ROOT, L"HKCR"}, {HKEY_CURRENT_USER, L"HKCU"}, {HKEY_LOCAL_MACHINE, L"HKLM"}};

std::wstring UniqueName() {
    static std::atomic<unsigned> counter{0};
    return std::to_wstring(GetCurrentProcessId()) + L"." + std::to_wstring(GetTickCount()) + L"." +
           std::to_wstring(counter++);
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }
std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

UniqueRegistryKey Create(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return UniqueRegistryKey();
    return UniqueRegistryKey(key);
}

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
        DWORD nameLength = static_cast<DWORD>(name.size()), type = 0, bytes = static_cast<DWORD>(data.size());
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
        const UniqueRegistryKey owned(subkey);
        DumpTree(subkey, path + L"\\" + name, lines);
    }
}

}  // namespace

ScratchRegistry::ScratchRegistry()
    : basePath_(std::wstring(kTestsKey) + L"\\" + UniqueName()), base_(Create(HKEY_CURRENT_USER, basePath_)) {
    for (const Root& root : kRoots) {
        if (!base_) return;
        scratch_[redirected_] = Create(base_.get(), root.name);
        if (!scratch_[redirected_] ||
            RegOverridePredefKey(root.predefined, scratch_[redirected_].get()) != ERROR_SUCCESS)
            return;
        ++redirected_;
    }
}

ScratchRegistry::~ScratchRegistry() {
    for (int i = 0; i < redirected_; ++i) RegOverridePredefKey(kRoots[i].predefined, nullptr);
    if (!base_) return;
    for (UniqueRegistryKey& key : scratch_) key.reset();
    deleted_.reset();
    base_.reset();
    SHDeleteKeyW(HKEY_CURRENT_USER, basePath_.c_str());
    // Fails while another test program still has its scratch key there.
    RegDeleteKeyW(HKEY_CURRENT_USER, kTestsKey);
}

std::vector<std::string> ScratchRegistry::Dump() const {
    std::vector<std::string> lines;
    for (int i = 0; i < redirected_; ++i) {
        DWORD subkeys = 0, values = 0;
        RegQueryInfoKeyW(scratch_[i].get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                         nullptr, nullptr, nullptr);
        // An empty root is no news.
        if (subkeys != 0 || values != 0) DumpTree(scratch_[i].get(), kRoots[i].name, lines);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

void ScratchRegistry::MakeClassesRootUnwritable() {
    deleted_ = Create(base_.get(), L"deleted");
    if (!deleted_ || RegDeleteKeyW(base_.get(), L"deleted") != ERROR_SUCCESS ||
        RegOverridePredefKey(HKEY_CLASSES_ROOT, deleted_.get()) != ERROR_SUCCESS)
        ADD_FAILURE() << "cannot make HKEY_CLASSES_ROOT unwritable";
}

void CreateKey(HKEY root, const std::wstring& path) { EXPECT_TRUE(Create(root, path)) << Narrow(path); }

void SetString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& text, DWORD type) {
    const UniqueRegistryKey key = Create(root, path);
    ASSERT_TRUE(key) << Narrow(path);
    EXPECT_EQ(RegSetValueExW(key.get(), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>(text.size() * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

// KEY : NAME = TYPE BYTES "TEXT\0", for text that needs no escape but its NUL.
void Install(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        const std::size_t colon = line.find(" : "), equals = line.find(" = ", colon), open = line.find('"', equals);
        ASSERT_TRUE(equals != std::string::npos && open != std::string::npos) << line;
        std::string text = line.substr(open + 1, line.size() - open - 2);
        if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\\0") == 0) text.resize(text.size() - 2);
        const auto root = std::find_if(std::begin(kRoots), std::end(kRoots),
                                       [&](const Root& r) { return Widen(line.substr(0, 4)) == r.name; });
        ASSERT_NE(root, std::end(kRoots)) << line;
        const std::string name = line.substr(colon + 3, equals - colon - 3);
        const DWORD type = line.compare(equals + 3, 14, "REG_EXPAND_SZ ") == 0 ? REG_EXPAND_SZ : REG_SZ;
        SetString(root->predefined, Widen(line.substr(5, colon - 5)), name == "@" ? L"" : Widen(name), Widen(text),
                  type);
    }
}
