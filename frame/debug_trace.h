#pragma once

// printf-style line to the debugger output (OutputDebugStringW). The format
// follows the Microsoft C run time: in a wide format %s is a wide string and
// %S or %hs a narrow one. Text beyond 511 characters is cut off.
void DebugTrace(const wchar_t* format, ...);
