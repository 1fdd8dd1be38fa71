#pragma once
// Which bytes are rare in ordinary text: the search looks for the rarest
// bytes of a literal first, since a scan stops at every occurrence.

namespace regex::detail {

// 0 for the rarest byte up to 255 for the most common.
unsigned byte_commonness(unsigned char c);

}  // namespace regex::detail
