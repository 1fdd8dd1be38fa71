#include "shell_registration/text_template.h"

namespace shell_registration {
namespace {

bool Suits(const std::wstring& value, Slot slot) {
    switch (slot) {
        case Slot::KeyPath:
            return !value.empty() && value.find(L'\\') == std::wstring::npos;
        case Slot::ValueName:
            return !value.empty();
        case Slot::Data:
            return true;
    }
    return false;
}

}  // namespace

void Fields::Set(std::wstring_view name, std::optional<std::wstring> value) {
    for (auto& field : fields_) {
        if (field.first == name) {
            field.second = std::move(value);
            return;
        }
    }
    fields_.emplace_back(std::wstring(name), std::move(value));
}

const std::optional<std::wstring>* Fields::Find(std::wstring_view name) const {
    for (const auto& field : fields_)
        if (field.first == name) return &field.second;
    return nullptr;
}

std::optional<std::wstring> Fields::Expand(std::wstring_view pattern, Slot slot, std::size_t maxLength) const {
    std::wstring text;
    std::size_t position = 0;
    while (position < pattern.size()) {
        const std::size_t open = pattern.find(L'{', position);
        const std::size_t close = open == std::wstring_view::npos ? open : pattern.find(L'}', open + 1);
        if (close == std::wstring_view::npos) {
            text.append(pattern.substr(position));
            break;
        }
        const std::optional<std::wstring>* field = Find(pattern.substr(open + 1, close - open - 1));
        if (field == nullptr) {
            // Not a field: keep the brace and look for a field after it.
            text.append(pattern.substr(position, open + 1 - position));
            position = open + 1;
            continue;
        }
        if (!*field || !Suits(**field, slot)) return std::nullopt;
        text.append(pattern.substr(position, open - position));
        text.append(**field);
        if (text.size() > maxLength) return std::nullopt;
        position = close + 1;
    }
    if (text.size() > maxLength) return std::nullopt;
    return text;
}

std::optional<std::wstring> Argument(const wchar_t* text) {
    if (text == nullptr) return std::nullopt;
    return std::wstring(text);
}

}  // namespace shell_registration
