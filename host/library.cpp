#include "host/library.h"

namespace {

std::wstring ProgramDirectory() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

}  // namespace

ReriduLibrary::ReriduLibrary() {
    const std::wstring path = ProgramDirectory() + L"ReRidu.dll";
    module_ = LoadLibraryW(path.c_str());
    if (module_ == nullptr) error_ = L"cannot load " + path + L" (error " + std::to_wstring(GetLastError()) + L")";
}

ReriduLibrary::~ReriduLibrary() {
    if (module_ != nullptr) FreeLibrary(module_);
}

FARPROC ReriduLibrary::Lookup(const char* name) {
    if (module_ == nullptr) return nullptr;
    FARPROC function = GetProcAddress(module_, name);
    if (function == nullptr) {
        error_ = L"ReRidu.dll has no export ";
        for (const char* c = name; *c != '\0'; ++c) error_ += static_cast<wchar_t>(*c);
    }
    return function;
}
