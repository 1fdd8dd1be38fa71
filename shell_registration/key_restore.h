#pragma once
// RegRestoreKeyW through a seam: the one platform call of this module whose
// effect a test cannot observe where it runs, so a test may stand in for it.

#include <windows.h>

namespace shell_registration {

using KeyRestoreFunction = LONG (*)(HKEY key, const wchar_t* file, DWORD flags);

// Calls the installed replacement, or else RegRestoreKeyW itself.
[[nodiscard]] LONG RestoreKey(HKEY key, const wchar_t* file, DWORD flags);

// Installs `replacement` (null: RegRestoreKeyW again) and returns the one it replaces.
KeyRestoreFunction ReplaceKeyRestore(KeyRestoreFunction replacement);

}  // namespace shell_registration
