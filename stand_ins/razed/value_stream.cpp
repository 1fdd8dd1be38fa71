#include "stand_ins/razed/value_stream.h"

#include <cstring>

namespace razed {

ValueStream::ValueStream(const unsigned char* data, std::size_t size) : data_(data), size_(data ? size : 0) {
    good_ = data != nullptr || size == 0;
    for (std::size_t at = 0; good_ && at < size_;) {
        const std::optional<std::size_t> item = ItemSize(at);
        good_ = item.has_value();
        if (item) at += *item;
    }
}

std::uint32_t ValueStream::Uint32At(std::size_t at) const {
    return std::uint32_t{data_[at]} | std::uint32_t{data_[at + 1]} << 8 | std::uint32_t{data_[at + 2]} << 16 |
           std::uint32_t{data_[at + 3]} << 24;
}

std::optional<std::size_t> ValueStream::ItemSize(std::size_t at) const {
    const std::size_t left = size_ - at;
    std::size_t size = 0;
    switch (data_[at]) {
        case RaZED::TypeScopeBegin:
        case RaZED::TypeScopeEnd:
        case RaZED::TypeNull: size = 1; break;
        case RaZED::TypeInt: size = 5; break;
        case RaZED::TypeReal: size = 9; break;
        case RaZED::TypeString:
            if (left < 5) return std::nullopt;
            if (Uint32At(at + 1) > (left - 5) / 2) return std::nullopt;
            size = 5 + 2 * std::size_t{Uint32At(at + 1)};
            break;
        default: return std::nullopt;
    }
    if (size > left) return std::nullopt;
    return size;
}

int ValueStream::Peek() {
    if (!good_ || position_ >= size_) return RaZED::TypeScopeEnd;
    return data_[position_];
}

bool ValueStream::ReadString(ult::dst_buf<wchar_t>* out) {
    if (Peek() != RaZED::TypeString || out == nullptr || position_ >= size_) return false;
    const std::uint32_t count = Uint32At(position_ + 1);
    wchar_t* units = count == 0 ? nullptr : out->grow(count);
    if (count != 0 && units == nullptr) return false;
    const unsigned char* unit = data_ + position_ + 5;
    for (std::uint32_t i = 0; i < count; ++i, unit += 2) units[i] = static_cast<wchar_t>(unit[0] | unit[1] << 8);
    position_ += 5 + 2 * std::size_t{count};
    return true;
}

bool ValueStream::ReadReal(double* out) {
    if (Peek() != RaZED::TypeReal || out == nullptr || position_ >= size_) return false;
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = bits << 8 | data_[position_ + 1 + static_cast<std::size_t>(i)];
    std::memcpy(out, &bits, sizeof *out);
    position_ += 9;
    return true;
}

bool ValueStream::ReadInt(std::int32_t* out) {
    if (Peek() != RaZED::TypeInt || out == nullptr || position_ >= size_) return false;
    *out = static_cast<std::int32_t>(Uint32At(position_ + 1));
    position_ += 5;
    return true;
}

bool ValueStream::ReadNull() {
    if (Peek() != RaZED::TypeNull || position_ >= size_) return false;
    position_ += 1;
    return true;
}

bool ValueStream::ReadScopeBegin() {
    if (Peek() != RaZED::TypeScopeBegin || position_ >= size_) return false;
    position_ += 1;
    return true;
}

bool ValueStream::SkipItem() {
    if (!good_ || position_ >= size_) return false;
    if (data_[position_] != RaZED::TypeScopeBegin) {
        position_ += *ItemSize(position_);  // Good() vouches for every item
        return true;
    }
    position_ += 1;
    return ReadScopeEnd();
}

bool ValueStream::ReadScopeEnd() {
    if (!good_) return false;
    for (std::size_t depth = 0; position_ < size_;) {
        const unsigned char type = data_[position_];
        position_ += *ItemSize(position_);
        if (type == RaZED::TypeScopeBegin) {
            ++depth;
        } else if (type == RaZED::TypeScopeEnd) {
            if (depth == 0) return true;
            --depth;
        }
    }
    return true;  // the end of the data closes every scope
}

void ValueStream::Release() { delete this; }

}  // namespace razed
