#pragma once
// ReRidu.dll loaded the way the browser loads it: by name from beside the
// program, each export looked up by its undecorated name.

#include <windows.h>

#include <string>

class ReriduLibrary {
public:
    ReriduLibrary();
    ~ReriduLibrary();
    ReriduLibrary(const ReriduLibrary&) = delete;
    ReriduLibrary& operator=(const ReriduLibrary&) = delete;

    bool loaded() const { return module_ != nullptr; }
    const std::wstring& error() const { return error_; }

    // The export `name` typed as `decltype(&Export)`, or null with error() set.
    template <class Function>
    Function* Get(const char* name) {
        // Through void(*)(), the one type GCC accepts as a generic function pointer.
        return reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(Lookup(name)));
    }

private:
    FARPROC Lookup(const char* name);

    HMODULE module_ = nullptr;
    std::wstring error_;
};
