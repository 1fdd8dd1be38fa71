// Every kernel the CPU runs must write the scalar kernel's bytes, within the
// size bounds: decoding the input itself (arbitrary noise), encoding the
// input repeated up to several lines' worth, decoding that encoding (clean
// lines), and decoding it with the input's bytes strewn through it. The
// encoding must also decode back to what was encoded. Anything else aborts.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base64/base64.h"
#include "base64/kernel.h"

namespace {

using Bytes = std::vector<unsigned char>;
using Operation = int (*)(const base64::Kernel&, const Bytes&, Bytes&);

int EncodeInto(const base64::Kernel& kernel, const Bytes& in, Bytes& out) {
    const auto n = static_cast<std::uint32_t>(in.size());
    out.assign(*base64::EncodedSizeBound(n), 0);
    return base64::EncodeWith(kernel, in.data(), n, out.data(), static_cast<std::uint32_t>(out.size()));
}

int DecodeInto(const base64::Kernel& kernel, const Bytes& in, Bytes& out) {
    const auto n = static_cast<std::uint32_t>(in.size());
    out.assign(*base64::DecodedSizeBound(n), 0);
    return base64::DecodeWith(kernel, reinterpret_cast<const char*>(in.data()), n, out.data(),
                              static_cast<std::uint32_t>(out.size()));
}

// The scalar kernel's result, after checking that every kernel agrees.
Bytes Agreed(Operation operation, const Bytes& in) {
    static const std::vector<const base64::Kernel*> kernels = base64::SupportedKernels();
    Bytes expected;
    const int expectedLength = operation(*kernels.front(), in, expected);
    if (expectedLength < 0 || static_cast<size_t>(expectedLength) > expected.size()) std::abort();
    expected.resize(static_cast<size_t>(expectedLength));
    Bytes actual;
    for (const base64::Kernel* kernel : kernels) {
        const int length = operation(*kernel, in, actual);
        if (length != expectedLength) std::abort();
        if (std::memcmp(actual.data(), expected.data(), expected.size()) != 0) std::abort();
    }
    return expected;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size == 0 || size > (1u << 20)) return 0;
    const Bytes input(data, data + size);
    Agreed(DecodeInto, input);

    Bytes plain;
    const size_t copies = 1 + data[0] % 8;
    for (size_t i = 0; i < copies; ++i) plain.insert(plain.end(), input.begin(), input.end());
    const Bytes clean = Agreed(EncodeInto, plain);
    if (Agreed(DecodeInto, clean) != plain) std::abort();

    const size_t stride = 1 + data[size - 1] % 64;
    Bytes noisy;
    for (size_t i = 0; i < clean.size(); ++i) {
        if (i % stride == 0) noisy.push_back(data[(i / stride) % size]);
        noisy.push_back(clean[i]);
    }
    Agreed(DecodeInto, noisy);
    return 0;
}
