#include "host/file_io.h"

#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "frame/unique_object.h"

namespace {

struct CFileTraits {
    using Value = FILE*;
    static Value Invalid() { return nullptr; }
    static void Close(Value file) { fclose(file); }
};

std::wstring Describe(const std::wstring& path, int error) {
    const char* reason = std::strerror(error);
    std::wstring text = (path.empty() ? L"standard input" : path) + L": ";
    for (const char* c = reason; *c != '\0'; ++c) text += static_cast<wchar_t>(*c);
    return text;
}

}  // namespace

std::optional<std::string> ReadAll(const std::wstring& path, std::wstring& error) {
    UniqueObject<CFileTraits> owned;
    FILE* file = stdin;
    if (path.empty() || path == L"-") {
        _setmode(_fileno(stdin), _O_BINARY);
    } else {
        owned.reset(_wfopen(path.c_str(), L"rb"));
        if (!owned) {
            error = Describe(path, errno);
            return std::nullopt;
        }
        file = owned.get();
    }
    std::string bytes;
    char chunk[1 << 16];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
    if (ferror(file)) {
        error = Describe(path == L"-" ? std::wstring() : path, errno);
        return std::nullopt;
    }
    return bytes;
}

bool WriteAll(const std::string& bytes, std::wstring& error) {
    _setmode(_fileno(stdout), _O_BINARY);
    if (fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() || fflush(stdout) != 0) {
        error = L"cannot write to standard output";
        return false;
    }
    return true;
}
