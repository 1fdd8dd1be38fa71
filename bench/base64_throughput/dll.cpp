// ReRidu.dll's exports, loaded the way the browser loads them, the codec's
// kernels linked in, and memcpy, under Wine; bench/base64_bench.py sets the
// figures beside OpenSSL's natively.
#include <cstdio>

#include "bench/base64_throughput/throughput.h"
#include "frame/reridu_exports.h"
#include "host/library.h"

int main() {
    ReriduLibrary library;
    const auto encode = library.Get<decltype(Base64_Encode)>("Base64_Encode");
    const auto decode = library.Get<decltype(Base64_Decode)>("Base64_Decode");
    if (encode == nullptr || decode == nullptr) {
        std::fprintf(stderr, "ReRidu.dll or its Base64 exports cannot be loaded\n");
        return 1;
    }
    throughput::MeasureCodec("dll", encode, decode);
    throughput::MeasureKernels();
    throughput::MeasureMemcpy();
    return 0;
}
