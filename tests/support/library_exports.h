#pragma once
// ReRidu.dll loaded once for the whole test program, the way the browser
// loads it, and its exports by name.

#include "host/library.h"

inline ReriduLibrary& LoadedLibrary() {
    static ReriduLibrary library;
    return library;
}

// The export `name` typed as its declaration, or null when it is missing.
template <class Function>
Function* Export(const char* name) {
    return LoadedLibrary().Get<Function>(name);
}

// The export named like the declaration `name`, typed as that declaration.
#define RERIDU_EXPORT(name) Export<decltype(name)>(#name)
