// The system browser's entries are fixed text: they are written back as the
// system ships them, not looked up.
#include "shell_registration/browser_fields.h"
#include "shell_registration/change_notification.h"
#include "shell_registration/layouts.h"
#include "shell_registration/registry_paths.h"
#include "shell_registration/registry_rows.h"

#define IEXPLORE L"C:\\Program Files\\Internet Explorer\\iexplore.exe"
#define URL_ICON L"%SystemRoot%\\system32\\url.dll,0"

namespace shell_registration {
namespace {

using namespace notation;

// Classes that exist keep their place; none is created.
constexpr Row kClassicForm[] = {
    //     key                                          value    data                               op
    {HKCR, L".htm",                                     Default, Sz(L"htmlfile"),                   E},
    {HKCR, L".html",                                    Default, Sz(L"htmlfile"),                   E},
    {HKCR, L".mht",                                     Default, Sz(L"mhtmlfile"),                  E},
    {HKCR, L".url",                                     Default, Sz(L"InternetShortcut"),           E},
    {HKCR, L"htmlfile\\DefaultIcon",                    Default, Sz(IEXPLORE L",1"),                E},
    {HKCR, L"htmlfile\\shell",                          Default, Sz(L"opennew"),                    E},
    {HKCR, L"htmlfile\\shell\\open\\command",           Default, Sz(L"\"" IEXPLORE L"\" %1"),       E},
    {HKCR, L"htmlfile\\shell\\opennew\\command",        Default, Sz(L"\"" IEXPLORE L"\" -nohome"),  E},
    {HKCR, L"mhtmlfile\\DefaultIcon",                   Default, Sz(IEXPLORE L",1"),                E},
    {HKCR, L"mhtmlfile\\shell",                         Default, Sz(L"opennew"),                    E},
    {HKCR, L"mhtmlfile\\shell\\open\\command",          Default, Sz(L"\"" IEXPLORE L"\" %1"),       E},
    {HKCR, L"mhtmlfile\\shell\\opennew\\command",       Default, Sz(L"\"" IEXPLORE L"\" -nohome"),  E},
    {HKCR, L"http\\DefaultIcon",                        Default, ExpandSz(URL_ICON),                E},
    {HKCR, L"http\\shell",                              Default, Sz(L""),                           E},
    {HKCR, L"http\\shell\\open\\command",               Default, Sz(L"\"" IEXPLORE L"\" -nohome"),  E},
    {HKCR, L"https\\DefaultIcon",                       Default, ExpandSz(URL_ICON),                E},
    {HKCR, L"https\\shell",                             Default, Sz(L""),                           E},
    {HKCR, L"https\\shell\\open\\command",              Default, Sz(L"\"" IEXPLORE L"\" -nohome"),  E},
    {HKCR, L"InternetShortcut\\DefaultIcon",            Default, ExpandSz(URL_ICON),                E},
    {HKCR, L"InternetShortcut\\shell",                  Default, Sz(L""),                           E},
    {HKCR, L"InternetShortcut\\shell\\open\\command",   Default, Sz(L"\"" IEXPLORE L"\" -nohome"),  E},
    {HKCR, BROWSER_CLASS L"\\LocalServer32\\",          Default, Sz(IEXPLORE),                      E, WithClsid},
};

// Per user: the file types' choices are deleted before they are written.
constexpr Row kDefaultProgramsForm[] = {
    //     key                                            value      data                       op
    {HKCU, L"Software\\Clients\\StartMenuInternet\\",     Default,   Sz(L"IEXPLORE.EXE"),       C},
    {HKCU, FILE_EXTS L".htm\\UserChoice",                 Default,   NoData,                    K},
    {HKCU, FILE_EXTS L".html\\UserChoice",                Default,   NoData,                    K},
    {HKCU, FILE_EXTS L".htm\\UserChoice",                 L"Progid", Sz(L"IE.AssocFile.HTM"),   C},
    {HKCU, FILE_EXTS L".html\\UserChoice",                L"Progid", Sz(L"IE.AssocFile.HTM"),   C},
    {HKCU, URL_ASSOCIATIONS L"ftp\\UserChoice",           L"Progid", Sz(L"IE.FTP"),             C},
    {HKCU, URL_ASSOCIATIONS L"http\\UserChoice",          L"Progid", Sz(L"IE.HTTP"),            C},
    {HKCU, URL_ASSOCIATIONS L"https\\UserChoice",         L"Progid", Sz(L"IE.HTTPS"),           C},
    {HKCU, FILE_EXTS L".mht\\UserChoice",                 Default,   NoData,                    K},
    {HKCU, FILE_EXTS L".mht\\UserChoice",                 L"Progid", Sz(L"IE.AssocFile.MHT"),   C},
    {HKCU, USER_CLASSES BROWSER_CLASS,                    Default,   NoData,                    X, WithClsid},
};

}  // namespace

void RestoreSystemBrowser(Generation generation, bool registerClsid) {
    const Fields none;
    if (generation == Generation::Classic)
        ApplyRows(kClassicForm, none, kMaxTextLength, {registerClsid});
    else
        ApplyRows(kDefaultProgramsForm, none, kMaxTextLength, {registerClsid});
    NotifyAssociationsChanged(Flush::Yes);
}

}  // namespace shell_registration
