#pragma once
// Key paths, value names and data of the registry layouts are templates in
// which "{name}" stands for a field of the call, so that each layout reads as
// the registry dump it produces:
//
//     L"{progid}\\Shell\\open\\command"   with progid "QuorvelHTML"
//     -> QuorvelHTML\Shell\open\command
//
// Braces around anything that is not a field name, such as the class id in
// "CLSID\\{0002DF01-0000-0000-C000-000000000046}", are literal text.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace shell_registration {

// Where an expansion goes decides what a field may hold there.
enum class Slot {
    KeyPath,    // one key name: never empty (the path would name the parent), never with a backslash
    ValueName,  // never empty: that would name the key's default value
    Data,       // anything
};

class Fields {
public:
    // A field without a value stands for an argument the caller did not
    // give or for text that did not fit; no row that uses it is written.
    void Set(std::wstring_view name, std::optional<std::wstring> value);

    // Nothing when the pattern uses a field that has no value or whose value
    // does not suit the slot, or when the result exceeds maxLength characters.
    [[nodiscard]] std::optional<std::wstring> Expand(std::wstring_view pattern, Slot slot,
                                                     std::size_t maxLength) const;

private:
    const std::optional<std::wstring>* Find(std::wstring_view name) const;

    std::vector<std::pair<std::wstring, std::optional<std::wstring>>> fields_;
};

// A wide-string argument as a field value: a null pointer has none.
std::optional<std::wstring> Argument(const wchar_t* text);

}  // namespace shell_registration
