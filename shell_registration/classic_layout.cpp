#include <windows.h>

#include <iterator>

#include "shell_registration/browser_fields.h"
#include "shell_registration/change_notification.h"
#include "shell_registration/layouts.h"
#include "shell_registration/protocol_backups.h"
#include "shell_registration/registry_paths.h"
#include "shell_registration/registry_primitives.h"
#include "shell_registration/registry_rows.h"

namespace shell_registration {
namespace {

using namespace notation;
constexpr When SystemClasses = When::SystemClasses;

// The browser's own class always; the system's classes unless the mode
// keeps to the browser's own class. htmlfile gets no icon here.
constexpr Row kClasses[] = {
    //     key                                             value    data                      op  condition
    {HKCR, L"{progid}\\ShellEx",                           Default, NoData,                   X},
    {HKCR, L".htm",                                        Default, Sz(L"{progid}"),          E, SystemClasses},
    {HKCR, L".html",                                       Default, Sz(L"{progid}"),          E, SystemClasses},
    {HKCR, L".mht",                                        Default, Sz(L"{progid}"),          E, SystemClasses},
    {HKCR, L".url",                                        Default, Sz(L"InternetShortcut"),  E, SystemClasses},
    {HKCR, L"{progid}",                                    Default, Sz(L"Quorvel Document"),  C},
    {HKCR, L"{progid}\\DefaultIcon",                       Default, Sz(L"{docicon}"),         C},
    {HKCR, L"{progid}\\shell\\open",                       Default, Sz(L"{display}"),         C},
    {HKCR, L"{progid}\\Shell\\open\\command",              Default, Sz(L"{cmd}"),             C},
    {HKCR, L"htmlfile\\shell\\{client}",                   Default, Sz(L"{display}"),         C, SystemClasses},
    {HKCR, L"htmlfile\\shell\\{client}\\command",          Default, Sz(L"{cmd}"),             C, SystemClasses},
    {HKCR, L"htmlfile\\shell",                             Default, Sz(L"{client}"),          E, SystemClasses},
    {HKCR, L"htmlfile\\shell\\open\\command",              Default, Sz(L"{cmd}"),             E, SystemClasses},
    {HKCR, L"mhtmlfile\\DefaultIcon",                      Default, Sz(L"{docicon}"),         E, SystemClasses},
    {HKCR, L"mhtmlfile\\shell\\{client}",                  Default, Sz(L"{display}"),         C, SystemClasses},
    {HKCR, L"mhtmlfile\\shell\\{client}\\command",         Default, Sz(L"{cmd}"),             C, SystemClasses},
    {HKCR, L"mhtmlfile\\shell",                            Default, Sz(L"{client}"),          E, SystemClasses},
    {HKCR, L"mhtmlfile\\shell\\open\\command",             Default, Sz(L"{cmd}"),             E, SystemClasses},
    {HKCR, L"InternetShortcut\\DefaultIcon",               Default, Sz(L"{docicon}"),         E, SystemClasses},
    {HKCR, L"InternetShortcut\\shell\\{client}",           Default, Sz(L"{display}"),         C, SystemClasses},
    {HKCR, L"InternetShortcut\\shell\\{client}\\command",  Default, Sz(L"{cmd}"),             C, SystemClasses},
    {HKCR, L"InternetShortcut\\shell",                     Default, Sz(L"{client}"),          E, SystemClasses},
    {HKCR, L"InternetShortcut\\shell\\open\\command",      Default, Sz(L"{cmd}"),             E, SystemClasses},
};

enum class ProtocolVariant { ExistingCommand, FromBackups, Full };

// The protocols' (default) values under HKCR, one operation per variant.
struct ProtocolRow {
    const wchar_t* key;
    Data data;
    Op existingCommand;
    Op fromBackups;
    Op full;

    constexpr Row For(ProtocolVariant variant) const {
        const Op op = variant == ProtocolVariant::ExistingCommand ? existingCommand
                      : variant == ProtocolVariant::FromBackups   ? fromBackups
                                                                  : full;
        return {HKCR, key, Default, data, op};
    }
};

constexpr ProtocolRow kProtocols[] = {
    // key                                  data                     existing  backups   full
    {L"http\\DefaultIcon",                  ExpandSz(L"{docicon}"),  E,        E,        E},
    {L"http\\shell",                        Sz(L"{client}"),         E,        E,        E},
    {L"http\\shell\\open\\command",         Sz(L"{cmd}"),            E,        Op::None, C},
    {L"http\\shell\\{client}\\command",     Sz(L"{cmd}"),            C,        C,        C},
    {L"https\\DefaultIcon",                 ExpandSz(L"{docicon}"),  E,        E,        E},
    {L"https\\shell",                       Sz(L"{client}"),         E,        E,        E},
    {L"https\\shell\\open\\command",        Sz(L"{cmd}"),            E,        E,        E},
    {L"https\\shell\\{client}\\command",    Sz(L"{cmd}"),            C,        C,        C},
};

constexpr Row kClient[] = {
    //     key                                                     value               data              op
    {HKLM, CLIENT_KEY,                                             Default,            Sz(L"{display}"), C},
    {HKLM, CLIENT_KEY L"\\DefaultIcon",                            Default,            Sz(L"{appicon}"), C},
    {HKLM, CLIENT_KEY L"\\Shell\\open\\command",                   Default,            Sz(L"{exe}"),     C},
    {HKLM, CLIENT_KEY L"\\InstallInfo",                            L"ReinstallCommand", Sz(L"{setdef}"),  C},
    {HKLM, CLIENT_KEY L"\\InstallInfo",                            L"ShowIconsCommand", Sz(L"{setdef}"),  E},
    {HKLM, CLIENT_KEY L"\\InstallInfo",                            L"HideIconsCommand", Sz(L"{setdef}"),  E},
    {HKLM, CLIENT_KEY L"\\InstallInfo",                            L"IconsVisible",    Dword(1),         D},
    {HKLM, L"Software\\Clients\\StartMenuInternet",                Default,            Sz(L"{client}"),  E},
    {HKCU, L"Software\\Clients\\StartMenuInternet",                Default,            Sz(L"{client}"),  C},
    {HKCU, L"Software\\Microsoft\\Windows\\ShellNoRoam\\MUICache", L"{exe}",           Sz(L"{display}"), E},
    {HKCR, BROWSER_CLASS L"\\LocalServer32\\",                     Default,            Sz(L"{exe}"),     E, WithClsid},
};

constexpr DWORD kPauseAfterDeletingHttpVerbsMs = 5000;

ProtocolVariant ChooseProtocolVariant(unsigned modeFlags) {
    if ((modeFlags & kOwnClassOnly) == 0) return ProtocolVariant::Full;
    if ((modeFlags & kExistingHttpCommand) != 0) return ProtocolVariant::ExistingCommand;
    if ((modeFlags & kHttpFromBackups) != 0) return ProtocolVariant::FromBackups;
    return ProtocolVariant::Full;
}

void WriteProtocols(const Fields& fields, ProtocolVariant variant) {
    if (variant == ProtocolVariant::FromBackups) {
        if (RestoreProtocolBackups()) return;
        // Rebuilt from nothing: the verbs of whatever browser owned http before go.
        static_cast<void>(DeleteTree(HKEY_CLASSES_ROOT, L"http\\shell\\"));
        Sleep(kPauseAfterDeletingHttpVerbsMs);
    }
    Row rows[std::size(kProtocols)]{};
    for (std::size_t i = 0; i < std::size(kProtocols); ++i) rows[i] = kProtocols[i].For(variant);
    ApplyRows(rows, fields, kMaxTextLength);
}

}  // namespace

void WriteClassicLayout(const Fields& fields, bool registerClsid, unsigned modeFlags) {
    const Conditions conditions{registerClsid, (modeFlags & kOwnClassOnly) == 0};
    ApplyRows(kClasses, fields, kMaxTextLength, conditions);
    WriteProtocols(fields, ChooseProtocolVariant(modeFlags));
    ApplyRows(kClient, fields, kMaxTextLength, conditions);
    NotifyAssociationsChanged(Flush::Yes);
}

}  // namespace shell_registration
