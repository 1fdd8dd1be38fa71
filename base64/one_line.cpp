#include <algorithm>

#include "base64/base64.h"
#include "base64/scalar.h"

namespace base64 {

std::string EncodeOneLine(std::string_view bytes) {
    // Cannot overflow: a string holds fewer than SIZE_MAX / 2 bytes.
    std::string text((bytes.size() + 2) / 3 * 4, '\0');
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    auto* out = reinterpret_cast<unsigned char*>(text.data());
    constexpr std::size_t kMaxGroupsPerCall = UINT32_MAX;
    for (std::size_t groups = bytes.size() / 3; groups > 0;) {
        const auto now = static_cast<std::uint32_t>(std::min(groups, kMaxGroupsPerCall));
        out = scalar::EncodeGroups(in, now, out);
        in += std::size_t{3} * now;
        groups -= now;
    }
    scalar::EncodeLastGroup(in, static_cast<std::uint32_t>(bytes.size() % 3), out);
    return text;
}

}  // namespace base64
