#pragma once
// Redirects one function that a loaded module imports, by rewriting that
// module's import address table, and puts the original back on destruction.
// The library calls its platform functions through their imports at the
// moment of each call, so a host sees every call this way; the browser's
// own hosts watch the library like this, and so do our tests.

#include <windows.h>

class ImportHook {
public:
    // dll is matched without regard to case ("WININET.dll"), function by name.
    ImportHook(HMODULE module, const char* dll, const char* function, const void* replacement);
    ~ImportHook();
    ImportHook(const ImportHook&) = delete;
    ImportHook& operator=(const ImportHook&) = delete;

    bool installed() const { return slot_ != nullptr; }
    // The function the import pointed at before, for the replacement to call on.
    FARPROC original() const { return original_; }

private:
    static void Write(FARPROC* slot, FARPROC value);

    FARPROC* slot_ = nullptr;
    FARPROC original_ = nullptr;
};
