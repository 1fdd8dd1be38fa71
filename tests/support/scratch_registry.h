#pragma once
// Redirects HKEY_CLASSES_ROOT, HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE of
// this process to three empty keys of its own, so that a test sees only what
// it wrote, and the other programs of the Wine prefix, other copies of this
// one among them, see none of it.

#include <windows.h>

#include <string>
#include <vector>

#include "frame/unique_object.h"

class ScratchRegistry {
public:
    ScratchRegistry();
    ~ScratchRegistry();
    ScratchRegistry(const ScratchRegistry&) = delete;
    ScratchRegistry& operator=(const ScratchRegistry&) = delete;

    // Whether all three roots are redirected.
    bool redirected() const { return redirected_ == 3; }

    // Every value under the three roots, and every key that has neither
    // values nor subkeys, one line each (see registry_dump.h), sorted.
    std::vector<std::string> Dump() const;

    // From now on HKEY_CLASSES_ROOT is a key that has been deleted: nothing can be written under it.
    void MakeClassesRootUnwritable();

private:
    std::wstring basePath_;  // under HKCU\Software\ReRiduTests, made before the redirection
    UniqueRegistryKey base_;
    UniqueRegistryKey scratch_[3];  // in the order of kRoots
    int redirected_ = 0;
    UniqueRegistryKey deleted_;
};

// Test preparation against the (redirected) registry; each fails the test on
// error. Strings are set the way the layouts set them (registry_dump.h).
void CreateKey(HKEY root, const std::wstring& path);
void SetString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& text,
               DWORD type = REG_SZ);
// Sets the string values that dump lines show.
void Install(const std::vector<std::string>& lines);
