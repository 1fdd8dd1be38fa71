#include "tests/shell_registration/harness.h"

#include <shlobj.h>

#include <algorithm>
#include <sstream>

#include "frame/reridu_exports.h"
#include "tests/support/library_exports.h"
#include "tests/support/test_files.h"

namespace {

constexpr UINT kAssociationChanged = WM_APP + 7;

}  // namespace

int SetDefault(const Browser& b, bool registerClsid, unsigned modeFlags) {
    static auto* const set = RERIDU_EXPORT(ReRidu_SetDefaultBrowser);
    return set(1, b.exe.c_str(), b.client.c_str(), b.display.c_str(), b.icons.c_str(), b.documentIcon, b.appIcon,
               b.progId.c_str(), registerClsid, modeFlags);
}

int SetSystemDefault(bool registerClsid, const Browser& b) {
    static auto* const set = RERIDU_EXPORT(ReRidu_SetDefaultBrowser);
    return set(0, b.exe.c_str(), b.client.c_str(), b.display.c_str(), b.icons.c_str(), b.documentIcon, b.appIcon,
               b.progId.c_str(), registerClsid, 0);
}

int IsDefault(const Browser& b, bool checkClsid) {
    static auto* const isDefault = RERIDU_EXPORT(ReRidu_IsDefaultBrowser);
    return isDefault(b.client.c_str(), b.exe.c_str(), b.progId.c_str(), checkClsid);
}

int Remove(const Browser& b, bool registerClsid) {
    static auto* const remove = RERIDU_EXPORT(ReRidu_RemoveDefaultBrowser);
    return remove(b.exe.c_str(), b.client.c_str(), b.progId.c_str(), registerClsid);
}

int SetSkinFileAssoc(const wchar_t* extension, const wchar_t* exePath, const wchar_t* progId,
                     const wchar_t* iconPath, int iconIndex, const wchar_t* description) {
    static auto* const associate = RERIDU_EXPORT(ReRidu_SetSkinFileAssoc);
    return associate(extension, exePath, progId, iconPath, iconIndex, description);
}

DWORD ReportedMajorVersion() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExW(&version) ? version.dwMajorVersion : 0;
}

LRESULT CALLBACK AssociationChanges::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kAssociationChanged) {
        ++reinterpret_cast<AssociationChanges*>(GetWindowLongPtrW(window, GWLP_USERDATA))->count_;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

AssociationChanges::AssociationChanges() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.lpszClassName = L"ReRiduAssociationChanges";
    RegisterClassW(&windowClass);  // fails harmlessly when a former listener registered it
    window_.reset(CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                  nullptr));
    PIDLIST_ABSOLUTE desktop = nullptr;
    if (!window_ || SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktop) != S_OK) {
        ADD_FAILURE() << "cannot listen for association changes";
        return;
    }
    SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    const SHChangeNotifyEntry entry = {desktop, TRUE};
    registration_ = SHChangeNotifyRegister(window_.get(), SHCNRF_ShellLevel | SHCNRF_InterruptLevel, SHCNE_ASSOCCHANGED,
                                           kAssociationChanged, 1, &entry);
    CoTaskMemFree(desktop);
    if (registration_ == 0) ADD_FAILURE() << "SHChangeNotifyRegister failed";
}

AssociationChanges::~AssociationChanges() {
    if (registration_ != 0) SHChangeNotifyDeregister(registration_);
}

int AssociationChanges::Count() {
    MSG message;
    // Whatever SHChangeNotify posts is queued by the time it returns.
    while (PeekMessageW(&message, window_.get(), 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    return count_;
}

void RegistryTest::SetUp() {
    // Loading the library loads the system DLLs it imports, and some of them
    // create their own keys on first use: that must happen in the real
    // registry, not in the scratch one a test dumps.
    LoadedLibrary();
    FreshRegistry();
}

void RegistryTest::FreshRegistry() {
    // The old redirection must end first: the new scratch key is made under the real HKEY_CURRENT_USER.
    registry_.reset();
    registry_ = std::make_unique<ScratchRegistry>();
    ASSERT_TRUE(registry_->redirected());
}

Lines Golden(const std::wstring& name) {
    const Bytes bytes = ReadBytes(BesideProgram(L"registry_layouts\\" + name + L".txt"));
    std::istringstream text(std::string(bytes.begin(), bytes.end()));
    Lines lines;
    for (std::string line; std::getline(text, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}

Lines Plus(Lines lines, const Lines& more) {
    lines.insert(lines.end(), more.begin(), more.end());
    return lines;
}

Lines Under(const Lines& lines, const std::string& prefix) {
    Lines under;
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(under),
                 [&](const std::string& line) { return line.compare(0, prefix.size(), prefix) == 0; });
    return under;
}

Lines Without(const Lines& lines, const std::string& prefix) {
    Lines rest;
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(rest),
                 [&](const std::string& line) { return line.compare(0, prefix.size(), prefix) != 0; });
    return rest;
}
