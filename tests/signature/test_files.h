#pragma once
// Files the signature tests read: the signed files made at build time, and
// scratch files written by a test and deleted when it ends.

#include <string>

#include "tests/signature/der.h"

// The full path of one of the files make-signed-files made, beside this program.
std::wstring SignedFile(const wchar_t* name);

Bytes ReadBytes(const std::wstring& path);  // throws std::runtime_error when unreadable

// A file of its own in the temporary folder, removed with its owner.
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
