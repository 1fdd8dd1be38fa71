#include <optional>
#include <string>

#include "shell_registration/browser_fields.h"
#include "shell_registration/layouts.h"
#include "shell_registration/platform_generation.h"
#include "frame/registry_key.h"
#include "shell_registration/registry_paths.h"
#include "shell_registration/registry_primitives.h"
#include "shell_registration/registry_rows.h"
#include "shell_registration/shell_registration.h"

namespace shell_registration {
namespace {

using namespace notation;

// After the system browser's classes are back: the browser's verbs and
// class, and its client, with the Start menu pointed at the system browser.
constexpr Row kClassicRemoval[] = {
    //     key                                                 value    data                 op
    {HKCR, L"htmlfile\\shell\\{client}",                       Default, NoData,              X},
    {HKCR, L"mhtmlfile\\shell\\{client}",                      Default, NoData,              X},
    {HKCR, L"http\\shell\\{client}",                           Default, NoData,              X},
    {HKCR, L"https\\shell\\{client}",                          Default, NoData,              X},
    {HKCR, L"InternetShortcut\\shell\\{client}",               Default, NoData,              X},
    {HKCR, L"{progid}",                                        Default, NoData,              X},
    {HKLM, L"Software\\Clients\\StartMenuInternet",            Default, Sz(L"IEXPLORE.EXE"), E},
    {HKCU, L"Software\\Clients\\StartMenuInternet",            Default, Sz(L"IEXPLORE.EXE"), E},
    {HKLM, L"Software\\Clients\\StartMenuInternet\\{client}",  Default, NoData,              X},
};

// After the system browser's choices are back, and around the
// registered-application value: the client key with its capabilities, the
// browser's class, and the per-user classes of the protocols and file types
// whole, whatever other programs put there.
constexpr Row kDefaultProgramsRemovalFirst[] = {
    //     key                                                 value    data    op
    {HKLM, L"Software\\Clients\\StartMenuInternet\\{client}",  Default, NoData, X},
    {HKCU, USER_CLASSES L"{progid}",                           Default, NoData, X},
};
constexpr Row kDefaultProgramsRemovalLast[] = {
    //     key                                                 value    data    op
    {HKCU, USER_CLASSES L"http",                               Default, NoData, X},
    {HKCU, USER_CLASSES L"https",                              Default, NoData, X},
    {HKCU, USER_CLASSES L"htmlfile",                           Default, NoData, X},
    {HKCU, USER_CLASSES L"mhtmlfile",                          Default, NoData, X},
};

enum class Ownership { NoRegistration, OtherExecutable, Caller };

// The client key's open command holds the bare path of the executable that registered it.
Ownership FindOwnership(const Fields& fields) {
    const std::optional<std::wstring> commandKey = fields.Expand(
        L"Software\\Clients\\StartMenuInternet\\{client}\\Shell\\open\\command", Slot::KeyPath, kMaxTextLength);
    if (!commandKey) return Ownership::NoRegistration;
    const std::optional<std::wstring> exePath = fields.Expand(L"{exe}", Slot::Data, kMaxTextLength);
    switch (CompareString(HKEY_LOCAL_MACHINE, *commandKey, std::wstring(), exePath.value_or(std::wstring()),
                          kMaxTextLength)) {
        case Comparison::KeyMissing:
            return Ownership::NoRegistration;
        case Comparison::Equal:
            if (exePath) return Ownership::Caller;
            break;
        case Comparison::Differs:
            break;
    }
    return Ownership::OtherExecutable;
}

// False when the registered applications cannot be opened.
bool DeleteRegisteredApplication(const Fields& fields) {
    const std::optional<RegistryKey> applications =
        RegistryKey::Open(HKEY_LOCAL_MACHINE, L"Software\\RegisteredApplications");
    if (!applications) return false;
    if (const std::optional<std::wstring> client = fields.Expand(L"{client}", Slot::ValueName, kMaxTextLength))
        static_cast<void>(applications->DeleteValue(*client));
    return true;
}

int RemoveDefaultPrograms(const Fields& fields, bool registerClsid) {
    RestoreSystemBrowser(Generation::DefaultPrograms, registerClsid);
    ApplyRows(kDefaultProgramsRemovalFirst, fields, kMaxTextLength);
    if (!DeleteRegisteredApplication(fields)) return 0;
    ApplyRows(kDefaultProgramsRemovalLast, fields, kMaxTextLength);
    return 1;
}

}  // namespace

int RemoveDefaultBrowser(const wchar_t* exePath, const wchar_t* clientName, const wchar_t* progId,
                         bool registerClsid) {
    BrowserArguments arguments;
    arguments.exePath = exePath;
    arguments.clientName = clientName;
    arguments.progId = progId;
    const Fields fields = BrowserFields(arguments);
    switch (FindOwnership(fields)) {
        case Ownership::NoRegistration:
            return 0;
        case Ownership::OtherExecutable:
            return 1;
        case Ownership::Caller:
            break;
    }
    switch (ReportedGeneration()) {
        case Generation::Classic:
            RestoreSystemBrowser(Generation::Classic, registerClsid);
            ApplyRows(kClassicRemoval, fields, kMaxTextLength);
            return 1;
        case Generation::DefaultPrograms:
            return RemoveDefaultPrograms(fields, registerClsid);
        case Generation::Other:
            break;
    }
    return 1;
}

}  // namespace shell_registration
