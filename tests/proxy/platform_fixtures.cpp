#include "tests/proxy/platform_fixtures.h"

#include <shlwapi.h>

#include <atomic>

namespace {

std::mutex g_linesLock;
std::vector<std::string> g_lines;

// OutputDebugString raises an exception that carries the text; a vectored
// handler sees it before the system consumes it.
LONG CALLBACK CaptureDebugString(EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
    constexpr DWORD kNarrow = 0x40010006;  // DBG_PRINTEXCEPTION_C
    constexpr DWORD kWide = 0x4001000A;    // DBG_PRINTEXCEPTION_WIDE_C
    std::string line;
    if (record.ExceptionCode == kNarrow) {
        line = reinterpret_cast<const char*>(record.ExceptionInformation[1]);
    } else if (record.ExceptionCode == kWide) {
        for (auto* c = reinterpret_cast<const wchar_t*>(record.ExceptionInformation[1]); *c != L'\0'; ++c)
            line += static_cast<char>(*c);
    } else {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    const std::lock_guard<std::mutex> hold(g_linesLock);
    g_lines.push_back(line);
    return EXCEPTION_CONTINUE_SEARCH;
}

constexpr wchar_t kInternetSettings[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

}  // namespace

DebugOutput::DebugOutput() : handler_(AddVectoredExceptionHandler(1, CaptureDebugString)) {
    const std::lock_guard<std::mutex> hold(g_linesLock);
    g_lines.clear();
}

DebugOutput::~DebugOutput() { RemoveVectoredExceptionHandler(handler_); }

std::vector<std::string> DebugOutput::Lines() const {
    const std::lock_guard<std::mutex> hold(g_linesLock);
    return g_lines;
}

bool DebugOutput::Contains(const std::string& text) const {
    for (const std::string& line : Lines())
        if (line.find(text) != std::string::npos) return true;
    return false;
}

ScratchCurrentUser::ScratchCurrentUser() {
    static std::atomic<unsigned> counter{0};
    path_ = L"Software\\ReRiduTests\\proxy-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(counter++);
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root_,
                        nullptr) != ERROR_SUCCESS) {
        root_ = nullptr;
        return;
    }
    if (RegOverridePredefKey(HKEY_CURRENT_USER, root_) != ERROR_SUCCESS) {
        RegCloseKey(root_);
        root_ = nullptr;
    }
}

ScratchCurrentUser::~ScratchCurrentUser() {
    if (root_ == nullptr) return;
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(root_);
    SHDeleteKeyW(HKEY_CURRENT_USER, path_.c_str());
}

void ScratchCurrentUser::SetInternetNumber(const wchar_t* name, DWORD value) {
    SHSetValueW(root_, kInternetSettings, name, REG_DWORD, &value, sizeof value);
}

void ScratchCurrentUser::SetInternetText(const wchar_t* name, const std::wstring& value) {
    SHSetValueW(root_, kInternetSettings, name, REG_SZ, value.c_str(),
                static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void ScratchCurrentUser::DeleteInternetValue(const wchar_t* name) { SHDeleteValueW(root_, kInternetSettings, name); }
