#pragma once
// The stand-in's stream: a cursor over the caller's bytes.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "stand_ins/razed/razed.h"

namespace razed {

class ValueStream final : public RaZED::IStream {
public:
    ValueStream(const unsigned char* data, std::size_t size);

    bool RERIDU_THISCALL ReadString(ult::dst_buf<wchar_t>* out) override;
    bool RERIDU_THISCALL ReadReal(double* out) override;
    bool RERIDU_THISCALL ReadInt(std::int32_t* out) override;
    bool RERIDU_THISCALL ReadNull() override;
    int RERIDU_THISCALL Peek() override;
    bool RERIDU_THISCALL ReadScopeBegin() override;
    bool RERIDU_THISCALL SkipItem() override;
    bool RERIDU_THISCALL ReadScopeEnd() override;
    bool RERIDU_THISCALL Good() override { return good_; }
    void RERIDU_THISCALL Release() override;

private:
    // The size of the item at `at` (type byte included), or nothing when
    // the bytes there are not a whole item.
    std::optional<std::size_t> ItemSize(std::size_t at) const;
    std::uint32_t Uint32At(std::size_t at) const;

    const unsigned char* data_;
    std::size_t size_;
    std::size_t position_ = 0;
    bool good_;
};

}  // namespace razed
