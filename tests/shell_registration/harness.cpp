#include "tests/shell_registration/harness.h"

#include <shlobj.h>

#include "frame/reridu_exports.h"
#include "host/library.h"

namespace {

struct Exports {
    decltype(&ReRidu_SetDefaultBrowser) set;
    decltype(&ReRidu_IsDefaultBrowser) isDefault;
    decltype(&ReRidu_RemoveDefaultBrowser) remove;
    decltype(&ReRidu_SetSkinFileAssoc) skin;
};

const Exports& Library() {
    static ReriduLibrary library;
    static const Exports exports = {
        library.Get<decltype(ReRidu_SetDefaultBrowser)>("ReRidu_SetDefaultBrowser"),
        library.Get<decltype(ReRidu_IsDefaultBrowser)>("ReRidu_IsDefaultBrowser"),
        library.Get<decltype(ReRidu_RemoveDefaultBrowser)>("ReRidu_RemoveDefaultBrowser"),
        library.Get<decltype(ReRidu_SetSkinFileAssoc)>("ReRidu_SetSkinFileAssoc"),
    };
    return exports;
}

}  // namespace

constexpr UINT kAssociationChanged = WM_APP + 7;

int SetDefault(const Browser& b, bool registerClsid, unsigned modeFlags) {
    return Library().set(1, b.exe.c_str(), b.client.c_str(), b.display.c_str(), b.icons.c_str(), b.documentIcon,
                         b.appIcon, b.progId.c_str(), registerClsid, modeFlags);
}

int SetSystemDefault(bool registerClsid, const Browser& b) {
    return Library().set(0, b.exe.c_str(), b.client.c_str(), b.display.c_str(), b.icons.c_str(), b.documentIcon,
                         b.appIcon, b.progId.c_str(), registerClsid, 0);
}

int IsDefault(const Browser& b, bool checkClsid) {
    return Library().isDefault(b.client.c_str(), b.exe.c_str(), b.progId.c_str(), checkClsid);
}

int Remove(const Browser& b, bool registerClsid) {
    return Library().remove(b.exe.c_str(), b.client.c_str(), b.progId.c_str(), registerClsid);
}

int SetSkinFileAssoc(const wchar_t* extension, const wchar_t* exePath, const wchar_t* progId,
                     const wchar_t* iconPath, int iconIndex, const wchar_t* description) {
    return Library().skin(extension, exePath, progId, iconPath, iconIndex, description);
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
    window_ = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                              nullptr);
    PIDLIST_ABSOLUTE desktop = nullptr;
    if (window_ == nullptr || SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktop) != S_OK) {
        ADD_FAILURE() << "cannot listen for association changes";
        return;
    }
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    const SHChangeNotifyEntry entry = {desktop, TRUE};
    registration_ = SHChangeNotifyRegister(window_, SHCNRF_ShellLevel | SHCNRF_InterruptLevel, SHCNE_ASSOCCHANGED,
                                           kAssociationChanged, 1, &entry);
    CoTaskMemFree(desktop);
    if (registration_ == 0) ADD_FAILURE() << "SHChangeNotifyRegister failed";
}

AssociationChanges::~AssociationChanges() {
    if (registration_ != 0) SHChangeNotifyDeregister(registration_);
    if (window_ != nullptr) DestroyWindow(window_);
}

int AssociationChanges::Count() {
    MSG message;
    // Whatever SHChangeNotify posts is queued by the time it returns.
    while (PeekMessageW(&message, window_, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    return count_;
}

void RegistryTest::SetUp() {
    // Loading the library loads the system DLLs it imports, and some of them
    // create their own keys on first use: that must happen in the real
    // registry, not in the scratch one a test dumps.
    Library();
    FreshRegistry();
}

void RegistryTest::FreshRegistry() {
    // The old redirection must end first: the new scratch key is made under the real HKEY_CURRENT_USER.
    registry_.reset();
    registry_ = std::make_unique<ScratchRegistry>();
    ASSERT_EQ(registry_->error(), "");
}
