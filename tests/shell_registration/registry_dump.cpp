#include "tests/shell_registration/registry_dump.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

std::string Printable(const wchar_t* text, std::size_t length) {
    std::string out;
    for (std::size_t i = 0; i < length; ++i) {
        const wchar_t c = text[i];
        if (c == L'\0') {
            out += "\\0";
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char escape[16];
            std::snprintf(escape, sizeof escape, "\\x{%04X}", static_cast<unsigned>(c));
            out += escape;
        }
    }
    return out;
}

std::string Printable(const std::wstring& text) { return Printable(text.data(), text.size()); }

std::string TypeName(DWORD type) {
    switch (type) {
        case REG_SZ:
            return "REG_SZ";
        case REG_EXPAND_SZ:
            return "REG_EXPAND_SZ";
        case REG_DWORD:
            return "REG_DWORD";
        default:
            return "type " + std::to_string(type);
    }
}

std::string StoredString(const std::wstring& key, const std::wstring& name, DWORD type, std::wstring text) {
    if (!text.empty()) text.push_back(L'\0');
    return DumpLine(key, name, type, reinterpret_cast<const BYTE*>(text.data()),
                    static_cast<DWORD>(text.size() * sizeof(wchar_t)));
}

}  // namespace

std::string DumpLine(const std::wstring& key, const std::wstring& name, DWORD type, const BYTE* data, DWORD bytes) {
    std::string line = Printable(key) + " : " + (name.empty() ? "@" : Printable(name)) + " = " + TypeName(type) +
                       " " + std::to_string(bytes) + " ";
    if (type == REG_DWORD && bytes == sizeof(DWORD)) {
        DWORD number = 0;
        std::memcpy(&number, data, sizeof number);
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%08lX", static_cast<unsigned long>(number));
        return line + hex;
    }
    std::vector<wchar_t> text(bytes / sizeof(wchar_t));
    std::memcpy(text.data(), data, text.size() * sizeof(wchar_t));
    line += "\"" + Printable(text.data(), text.size()) + "\"";
    if (bytes % sizeof(wchar_t) != 0) line += " and an odd byte";
    return line;
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

std::string EmptyKey(const std::wstring& key) { return Printable(key) + " (key without values or subkeys)"; }
