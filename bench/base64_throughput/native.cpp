// OpenSSL's EVP_EncodeBlock and EVP_DecodeBlock, every codec kernel this CPU
// runs, and memcpy, natively; bench/base64_bench.py sets the figures beside
// those of ReRidu.dll under Wine.
#include <openssl/evp.h>

#include "bench/base64_throughput/throughput.h"

namespace {

int OpenSslEncode(const unsigned char* src, std::uint32_t n, unsigned char* dst, std::uint32_t) {
    return EVP_EncodeBlock(dst, src, static_cast<int>(n));
}

// EVP_DecodeBlock counts the pad characters as zero bytes of output.
int OpenSslDecode(const char* src, std::uint32_t n, unsigned char* dst, std::uint32_t) {
    const int written = EVP_DecodeBlock(dst, reinterpret_cast<const unsigned char*>(src), static_cast<int>(n));
    int pads = 0;
    while (pads < 2 && n > static_cast<std::uint32_t>(pads) && src[n - 1 - pads] == '=') ++pads;
    return written < 0 ? 0 : written - pads;
}

}  // namespace

int main() {
    throughput::MeasureCodec("openssl", OpenSslEncode, OpenSslDecode);
    throughput::MeasureKernels();
    throughput::MeasureMemcpy();
    return 0;
}
