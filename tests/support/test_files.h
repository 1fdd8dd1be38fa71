#pragma once
// Files the tests read and write: beside the program, where the build puts
// what they read, or in the temporary folder, removed when the test ends.

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

std::wstring BesideProgram(const std::wstring& name);  // the full path of `name` in the program's folder
std::wstring SignedFile(const wchar_t* name);          // one of the files make-signed-files made

// Both throw std::runtime_error on failure.
Bytes ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const Bytes& contents);

class ScratchFile {
public:
    explicit ScratchFile(const Bytes& contents);
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
};
