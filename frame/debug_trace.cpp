#include "frame/debug_trace.h"

#include <windows.h>

#include <cstdarg>
#include <cwchar>

void DebugTrace(const wchar_t* format, ...) {
    constexpr size_t kCapacity = 512;
    wchar_t line[kCapacity];
    va_list arguments;
    va_start(arguments, format);
    // _vsnwprintf leaves the buffer unterminated when the text does not fit.
    _vsnwprintf(line, kCapacity - 1, format, arguments);
    va_end(arguments);
    line[kCapacity - 1] = L'\0';
    OutputDebugStringW(line);
}
