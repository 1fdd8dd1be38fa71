#include "base64/base64.h"
#include "frame/reridu_exports.h"

int __cdecl Base64_GetEncodeSize(unsigned n) { return base64::GetEncodeSize(n); }

int __cdecl Base64_GetDecodeSize(unsigned n) { return base64::GetDecodeSize(n); }

int __cdecl Base64_Encode(const unsigned char* src, unsigned srclen, unsigned char* dst, unsigned dstlen) {
    return base64::Encode(src, srclen, dst, dstlen);
}

int __cdecl Base64_Decode(const char* src, unsigned srclen, unsigned char* dst, unsigned dstlen) {
    return base64::Decode(src, srclen, dst, dstlen);
}
