#pragma once
// Writes items in the stand-in's stream encoding (razed.h), for hosts and
// tests that put records on a board.

#include <cstdint>
#include <string_view>
#include <vector>

namespace razed {

class ValueStreamWriter {
public:
    ValueStreamWriter& ScopeBegin() { return Type(0x00); }
    ValueStreamWriter& ScopeEnd() { return Type(0x01); }
    ValueStreamWriter& Int(std::int32_t value) {
        Type(0x02);
        return Uint32(static_cast<std::uint32_t>(value));
    }
    // UTF-16 code units; on a platform with a wider wchar_t, each
    // character is taken as one unit.
    ValueStreamWriter& String(std::wstring_view text) {
        Type(0x03);
        Uint32(static_cast<std::uint32_t>(text.size()));
        for (wchar_t c : text) {
            bytes_.push_back(static_cast<unsigned char>(c & 0xFF));
            bytes_.push_back(static_cast<unsigned char>((c >> 8) & 0xFF));
        }
        return *this;
    }
    ValueStreamWriter& Null() { return Type(0x05); }

    const std::vector<unsigned char>& bytes() const { return bytes_; }

private:
    ValueStreamWriter& Type(unsigned char type) {
        bytes_.push_back(type);
        return *this;
    }
    ValueStreamWriter& Uint32(std::uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8) bytes_.push_back(static_cast<unsigned char>(value >> shift));
        return *this;
    }

    std::vector<unsigned char> bytes_;
};

}  // namespace razed
