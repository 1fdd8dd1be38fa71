#include "frame/exception_barrier.h"
#include "frame/reridu_exports.h"
#include "shell_registration/shell_registration.h"

// 0 is each call's failure result.

int __cdecl ReRidu_IsDefaultBrowser(const wchar_t* clientName, const wchar_t* exePath, const wchar_t* progId,
                                    bool checkClsid) {
    return WithoutExceptions(L"ReRidu_IsDefaultBrowser", 0, [&] {
        return shell_registration::IsDefaultBrowser(clientName, exePath, progId, checkClsid);
    });
}

int __cdecl ReRidu_SetDefaultBrowser(int set, const wchar_t* exePath, const wchar_t* clientName,
                                     const wchar_t* displayName, const wchar_t* iconPath, int documentIconIndex,
                                     int appIconIndex, const wchar_t* progId, bool registerClsid,
                                     unsigned modeFlags) {
    return WithoutExceptions(L"ReRidu_SetDefaultBrowser", 0, [&] {
        return shell_registration::SetDefaultBrowser(set, exePath, clientName, displayName, iconPath,
                                                     documentIconIndex, appIconIndex, progId, registerClsid,
                                                     modeFlags);
    });
}

int __cdecl ReRidu_RemoveDefaultBrowser(const wchar_t* exePath, const wchar_t* clientName, const wchar_t* progId,
                                        bool registerClsid) {
    return WithoutExceptions(L"ReRidu_RemoveDefaultBrowser", 0, [&] {
        return shell_registration::RemoveDefaultBrowser(exePath, clientName, progId, registerClsid);
    });
}

int __cdecl ReRidu_SetSkinFileAssoc(const wchar_t* extension, const wchar_t* exePath, const wchar_t* progId,
                                    const wchar_t* iconPath, int iconIndex, const wchar_t* description) {
    return WithoutExceptions(L"ReRidu_SetSkinFileAssoc", 0, [&] {
        return shell_registration::SetSkinFileAssoc(extension, exePath, progId, iconPath, iconIndex, description);
    });
}
