#pragma once
// Default-browser registration, detection and removal, and the skin file
// association: the four services behind the module's exports, with the
// same arguments and results.

namespace shell_registration {

// 1 when a layout or the system browser's restore ran; 0, with nothing
// written, on a platform generation that has no layout or when a
// registration lacks its executable path, client name or ProgID (or a null
// display name or icon path).
int SetDefaultBrowser(int set, const wchar_t* exePath, const wchar_t* clientName, const wchar_t* displayName,
                      const wchar_t* iconPath, int documentIconIndex, int appIconIndex, const wchar_t* progId,
                      bool registerClsid, unsigned modeFlags);

// 1 when the registry names the browser as the default, else 0.
int IsDefaultBrowser(const wchar_t* clientName, const wchar_t* exePath, const wchar_t* progId, bool checkClsid);

// 0 when the client has no registration, or when the registered
// applications cannot be opened at the end of a removal; 1 otherwise, also
// when the registration belongs to another executable (nothing changes).
int RemoveDefaultBrowser(const wchar_t* exePath, const wchar_t* clientName, const wchar_t* progId,
                         bool registerClsid);

// Always 1: single writes that fail are not reported.
int SetSkinFileAssoc(const wchar_t* extension, const wchar_t* exePath, const wchar_t* progId,
                     const wchar_t* iconPath, int iconIndex, const wchar_t* description);

}  // namespace shell_registration
