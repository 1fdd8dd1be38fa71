#pragma once

namespace base64 {

// Values 0 to 63 in order; "=" pads, and nothing else is part of the text.
inline constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

}  // namespace base64
