#include "shell_registration/browser_fields.h"
#include "shell_registration/change_notification.h"
#include "shell_registration/layouts.h"
#include "shell_registration/registry_paths.h"
#include "shell_registration/registry_rows.h"

namespace shell_registration {
namespace {

using namespace notation;

constexpr wchar_t kApplicationDescription[] =
    L"Quorvel is a web browser that opens web pages, HTML documents and web archives.";

// The file types' choices are deleted before they are written, so that each
// holds its Progid alone; the protocols' choices are written over.
constexpr Row kLayout[] = {
    //     key                                              value                 data                       op
    {HKCR, L"{progid}\\ShellEx",                            Default,              NoData,                    X},
    {HKLM, L"Software\\RegisteredApplications",             L"{client}",          Sz(CLIENT_KEY L"\\Capabilities"), E},
    {HKLM, CLIENT_KEY L"\\Capabilities",                    L"ApplicationDescription", Sz(kApplicationDescription), C},
    {HKLM, CLIENT_KEY L"\\Capabilities",                    L"ApplicationName",   Sz(L"{display}"),          E},
    {HKLM, CLIENT_KEY L"\\Capabilities",                    L"ApplicationIcon",   Sz(L"{appicon}"),          E},
    {HKLM, CLIENT_KEY L"\\Capabilities\\FileAssociations",  L".htm",              Sz(L"{progid}"),           C},
    {HKLM, CLIENT_KEY L"\\Capabilities\\FileAssociations",  L".html",             Sz(L"{progid}"),           E},
    {HKLM, CLIENT_KEY L"\\Capabilities\\FileAssociations",  L".mht",              Sz(L"{progid}"),           E},
    {HKLM, CLIENT_KEY L"\\Capabilities\\URLAssociations",   L"http",              Sz(L"{progid}"),           C},
    {HKLM, CLIENT_KEY L"\\Capabilities\\URLAssociations",   L"https",             Sz(L"{progid}"),           E},
    {HKLM, CLIENT_KEY L"\\Capabilities\\Startmenu",         L"StartMenuInternet", Sz(L"{display}"),          C},
    {HKLM, CLIENT_KEY L"\\InstallInfo",                     L"ReinstallCommand",  Sz(L"{setdef}"),           C},
    {HKLM, CLIENT_KEY L"\\InstallInfo",                     L"ShowIconsCommand",  Sz(L"{setdef}"),           E},
    {HKLM, CLIENT_KEY L"\\InstallInfo",                     L"HideIconsCommand",  Sz(L"{setdef}"),           E},
    {HKLM, CLIENT_KEY L"\\InstallInfo",                     L"IconsVisible",      Dword(1),                  D},
    {HKLM, CLIENT_KEY L"\\DefaultIcon",                     Default,              Sz(L"{appicon}"),          C},
    {HKLM, CLIENT_KEY L"\\Shell\\open\\command",            Default,              Sz(L"{exe}"),              C},
    {HKLM, CLIENT_KEY,                                      Default,              Sz(L"{display}"),          E},
    {HKCU, USER_CLASSES L"{progid}",                        Default,              Sz(L"Quorvel Document"),   C},
    {HKCU, USER_CLASSES L"{progid}\\DefaultIcon",           Default,              Sz(L"{docicon}"),          C},
    {HKCU, USER_CLASSES L"{progid}\\Shell\\open\\command",  Default,              Sz(L"{cmd}"),              C},
    {HKCU, FILE_EXTS L".htm\\UserChoice",                   Default,              NoData,                    K},
    {HKCU, FILE_EXTS L".html\\UserChoice",                  Default,              NoData,                    K},
    {HKCU, FILE_EXTS L".mht\\UserChoice",                   Default,              NoData,                    K},
    {HKCU, FILE_EXTS L".htm\\UserChoice",                   L"Progid",            Sz(L"{progid}"),           C},
    {HKCU, FILE_EXTS L".html\\UserChoice",                  L"Progid",            Sz(L"{progid}"),           C},
    {HKCU, FILE_EXTS L".mht\\UserChoice",                   L"Progid",            Sz(L"{progid}"),           C},
    {HKCU, URL_ASSOCIATIONS L"http\\UserChoice",            L"Progid",            Sz(L"{progid}"),           C},
    {HKCU, URL_ASSOCIATIONS L"https\\UserChoice",           L"Progid",            Sz(L"{progid}"),           C},
    {HKCU, L"Software\\Clients\\StartMenuInternet",         Default,              Sz(L"{client}"),           C},
    {HKCU, USER_CLASSES L"Local Settings\\Software\\Microsoft\\Windows\\Shell\\MuiCache",
                                                            L"{exe}",             Sz(L"{display}"),          E},
    {HKCU, USER_CLASSES L"http\\shell\\open\\command",      Default,              Sz(L"{cmd}"),              C},
    {HKCU, USER_CLASSES L"http\\shell",                     Default,              Sz(L"{progid}"),           C},
    {HKCU, USER_CLASSES L"https\\shell\\open\\command",     Default,              Sz(L"{cmd}"),              C},
    {HKCU, USER_CLASSES L"https\\shell",                    Default,              Sz(L"{progid}"),           C},
    {HKCU, USER_CLASSES L".htm",                            Default,              Sz(L"{progid}"),           C},
    {HKCU, USER_CLASSES L".html",                           Default,              Sz(L"{progid}"),           C},
    {HKCU, USER_CLASSES L"htmlfile\\shell\\open\\command",  Default,              Sz(L"{cmd}"),              C},
    {HKCU, USER_CLASSES L"htmlfile\\shell",                 Default,              Sz(L"{progid}"),           C},
    {HKCU, USER_CLASSES L"mhtmlfile\\shell\\open\\command", Default,              Sz(L"{cmd}"),              C},
    {HKCU, USER_CLASSES L"mhtmlfile\\shell",                Default,              Sz(L"{progid}"),           C},
    {HKCU, USER_CLASSES BROWSER_CLASS L"\\LocalServer32\\",
                                                            Default,              Sz(L"{exe}"), C, WithClsid},
};

}  // namespace

void WriteDefaultProgramsLayout(const Fields& fields, bool registerClsid) {
    ApplyRows(kLayout, fields, kMaxTextLength, {registerClsid});
    NotifyAssociationsChanged(Flush::Yes);
}

}  // namespace shell_registration
