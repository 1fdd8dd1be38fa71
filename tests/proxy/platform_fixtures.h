#pragma once
// What the proxy tests need of the platform: the debugger output the library
// writes, and a current-user registry of their own.

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

// Collects every OutputDebugString line of the process while it lives.
class DebugOutput {
public:
    DebugOutput();
    ~DebugOutput();
    DebugOutput(const DebugOutput&) = delete;
    DebugOutput& operator=(const DebugOutput&) = delete;

    std::vector<std::string> Lines() const;
    bool Contains(const std::string& text) const;

private:
    void* handler_;
};

// HKEY_CURRENT_USER redirected, for this process, to a fresh scratch key
// that is deleted afterwards; the library reads Internet Explorer's proxy
// values from there.
class ScratchCurrentUser {
public:
    ScratchCurrentUser();
    ~ScratchCurrentUser();
    ScratchCurrentUser(const ScratchCurrentUser&) = delete;
    ScratchCurrentUser& operator=(const ScratchCurrentUser&) = delete;

    bool ready() const { return root_ != nullptr; }
    void SetInternetNumber(const wchar_t* name, DWORD value);
    void SetInternetText(const wchar_t* name, const std::wstring& value);
    void DeleteInternetValue(const wchar_t* name);

private:
    std::wstring path_;
    HKEY root_ = nullptr;
};
