#include "tests/support/debug_output.h"

#include <windows.h>

#include <mutex>

namespace {

std::mutex g_lock;
std::vector<std::string> g_lines;

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
    const std::lock_guard<std::mutex> hold(g_lock);
    g_lines.push_back(line);
    return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

DebugOutput::DebugOutput() : handler_(AddVectoredExceptionHandler(1, CaptureDebugString)) {
    const std::lock_guard<std::mutex> hold(g_lock);
    g_lines.clear();
}

DebugOutput::~DebugOutput() { RemoveVectoredExceptionHandler(handler_); }

std::vector<std::string> DebugOutput::Lines() const {
    const std::lock_guard<std::mutex> hold(g_lock);
    return g_lines;
}

bool DebugOutput::Contains(const std::string& text) const {
    for (const std::string& line : Lines())
        if (line.find(text) != std::string::npos) return true;
    return false;
}
