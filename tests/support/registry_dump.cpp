#include "tests/support/registry_dump.h"

#include <cstdio>
#include <cstring>

namespace {

std::string Printable(const wchar_t* text, std::size_t length) {
    std::string out;
    for (std::size_t i = 0; i < length; ++i) {
        char escape[16];
        if (text[i] == L'\0')
            out += "\\0";
        else if (text[i] >= 0x20 && text[i] < 0x7F)
            out += static_cast<char>(text[i]);
        else
            out.append(escape, std::snprintf(escape, sizeof escape, "\\x{%04X}", static_cast<unsigned>(text[i])));
    }
    return out;
}

std::string StoredString(const std::wstring& key, const std::wstring& name, DWORD type, std::wstring text) {
    if (!text.empty()) text.push_back(L'\0');
    return DumpLine(key, name, type, reinterpret_cast<const BYTE*>(text.data()),
                    static_cast<DWORD>(text.size() * sizeof(wchar_t)));
}

}  // namespace

std::string DumpLine(const std::wstring& key, const std::wstring& name, DWORD type, const BYTE* data, DWORD bytes) {
    const char* const typeName = type == REG_SZ          ? "REG_SZ"
                                 : type == REG_EXPAND_SZ ? "REG_EXPAND_SZ"
                                 : type == REG_DWORD     ? "REG_DWORD"
                                                         : nullptr;
    std::string line = Printable(key.data(), key.size()) + " : " +
                       (name.empty() ? "@" : Printable(name.data(), name.size())) + " = " +
                       (typeName ? typeName : "type " + std::to_string(type)) + " " + std::to_string(bytes) + " ";
    if (type == REG_DWORD && bytes == sizeof(DWORD)) {
        DWORD number = 0;
        std::memcpy(&number, data, sizeof number);
        char hex[16];
        return line.append(hex, std::snprintf(hex, sizeof hex, "0x%08lX", static_cast<unsigned long>(number)));
    }
    std::wstring text(bytes / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), data, text.size() * sizeof(wchar_t));
    return line + "\"" + Printable(text.data(), text.size()) + "\"" +
           (bytes % sizeof(wchar_t) ? " and an odd byte" : "");
}

std::string Sz(const std::wstring& key, const std::wstring& name, const std::wstring& text) {
    return StoredString(key, name, REG_SZ, text);
}

std::string ExpandSz(const std::wstring& key, const std::wstring& name, const std::wstring& text) {
    return StoredString(key, name, REG_EXPAND_SZ, text);
}

std::string Dword(const std::wstring& key, const std::wstring& name, DWORD number) {
    return DumpLine(key, name, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
}

std::string EmptyKey(const std::wstring& key) {
    return Printable(key.data(), key.size()) + " (key without values or subkeys)";
}
