#pragma once

#include <string>
#include <string_view>

// The whole of a wide string as UTF-8. Unpaired surrogates become U+FFFD.
std::string ToUtf8(std::wstring_view text);
