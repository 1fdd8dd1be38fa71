#include "frame/text_conversion.h"

#include <windows.h>

#include <climits>

std::string ToUtf8(std::wstring_view text) {
    if (text.empty() || text.size() > INT_MAX) return {};
    const int wideLength = static_cast<int>(text.size());
    const int narrowLength = WideCharToMultiByte(CP_UTF8, 0, text.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (narrowLength <= 0) return {};
    std::string narrow(static_cast<size_t>(narrowLength), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), wideLength, narrow.data(), narrowLength, nullptr, nullptr);
    return narrow;
}
