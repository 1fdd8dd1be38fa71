#include "frame/reridu_exports.h"

// Not available yet: nothing is read or written.
int __cdecl ReRidu_IsDefaultBrowser(const wchar_t*, const wchar_t*, const wchar_t*, bool) { return 0; }

int __cdecl ReRidu_SetDefaultBrowser(int, const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*, int, int,
                                     const wchar_t*, bool, unsigned) {
    return 0;
}

int __cdecl ReRidu_RemoveDefaultBrowser(const wchar_t*, const wchar_t*, const wchar_t*, bool) { return 0; }

int __cdecl ReRidu_SetSkinFileAssoc(const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*, int,
                                    const wchar_t*) {
    return 0;
}
