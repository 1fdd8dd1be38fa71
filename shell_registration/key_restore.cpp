#include "shell_registration/key_restore.h"

#include <atomic>

namespace shell_registration {
namespace {

std::atomic<KeyRestoreFunction> g_replacement{nullptr};

}  // namespace

LONG RestoreKey(HKEY key, const wchar_t* file, DWORD flags) {
    if (const KeyRestoreFunction replacement = g_replacement.load()) return replacement(key, file, flags);
    return RegRestoreKeyW(key, file, flags);
}

KeyRestoreFunction ReplaceKeyRestore(KeyRestoreFunction replacement) { return g_replacement.exchange(replacement); }

}  // namespace shell_registration
