#include "tests/support/test_files.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

std::wstring BesideProgram(const std::wstring& name) {
    std::wstring program(32768, L'\0');  // the longest path Windows allows
    program.resize(GetModuleFileNameW(nullptr, program.data(), static_cast<DWORD>(program.size())));
    return program.substr(0, program.find_last_of(L'\\') + 1) + name;
}

std::wstring SignedFile(const wchar_t* name) { return BesideProgram(std::wstring(L"signed_files\\") + name); }

Bytes ReadBytes(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    if (!in) throw std::runtime_error("cannot read a test file");
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::wstring& path, const Bytes& contents) {
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(contents.data()), static_cast<std::streamsize>(contents.size()));
    if (!out.flush()) throw std::runtime_error("cannot write a test file");
}

ScratchFile::ScratchFile(const Bytes& contents) {
    wchar_t folder[MAX_PATH + 1];
    wchar_t name[MAX_PATH];
    if (GetTempPathW(MAX_PATH + 1, folder) == 0 || GetTempFileNameW(folder, L"rrd", 0, name) == 0)
        throw std::runtime_error("cannot make a scratch file");
    path_ = name;
    try {
        WriteBytes(path_, contents);
    } catch (...) {
        DeleteFileW(path_.c_str());
        throw;
    }
}

ScratchFile::~ScratchFile() { DeleteFileW(path_.c_str()); }
