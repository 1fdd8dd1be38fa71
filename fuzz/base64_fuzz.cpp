// Every kernel the CPU runs must write the scalar kernel's bytes, within the
// size bounds: decoding the input itself (arbitrary noise), encoding the
// input repeated up to several lines' worth, decoding that encoding (clean
// lines), and decoding it with the input's bytes strewn through it. The
// encoding must also decode back to what was encoded. Anything else aborts.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "tests/base64/kernel_run.h"

namespace {

using Operation = std::optional<std::string> (*)(const base64::Kernel&, const std::string&);

// The scalar kernel's result, after checking that every kernel agrees.
std::string Agreed(Operation operation, const std::string& in) {
    static const std::vector<const base64::Kernel*> kernels = base64::SupportedKernels();
    const std::optional<std::string> expected = operation(*kernels.front(), in);
    if (!expected) std::abort();
    for (const base64::Kernel* kernel : kernels)
        if (operation(*kernel, in) != expected) std::abort();
    return *expected;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size == 0 || size > (1u << 20)) return 0;
    const std::string input(reinterpret_cast<const char*>(data), size);
    Agreed(base64_test::DecodedWith, input);

    std::string plain;
    for (size_t copies = 1 + data[0] % 8; copies > 0; --copies) plain += input;
    const std::string clean = Agreed(base64_test::EncodedWith, plain);
    if (Agreed(base64_test::DecodedWith, clean) != plain) std::abort();

    const size_t stride = 1 + data[size - 1] % 64;
    std::string noisy;
    for (size_t i = 0; i < clean.size(); ++i) {
        if (i % stride == 0) noisy += static_cast<char>(data[(i / stride) % size]);
        noisy += clean[i];
    }
    Agreed(base64_test::DecodedWith, noisy);
    return 0;
}
