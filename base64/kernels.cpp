#include <atomic>
#include <iterator>

#include "base64/kernel.h"
#include "base64/scalar.h"

namespace base64 {

constexpr Kernel kScalarKernel = {"scalar", cpu::Feature::kNone, scalar::Encode, scalar::Decode};

namespace {

const Kernel* const kAllKernels[] = {&kScalarKernel, &kSsse3Kernel, &kAvx2Kernel};

const Kernel* FastestSupported() {
    for (auto kernel = std::rbegin(kAllKernels); kernel != std::rend(kAllKernels); ++kernel)
        if (cpu::Has((*kernel)->needs)) return *kernel;
    return &kScalarKernel;
}

}  // namespace

std::vector<const Kernel*> SupportedKernels() {
    std::vector<const Kernel*> kernels;
    for (const Kernel* kernel : kAllKernels)
        if (cpu::Has(kernel->needs)) kernels.push_back(kernel);
    return kernels;
}

const Kernel& ChosenKernel() {
    // Threads that race here find the same answer, so no lock is needed.
    static std::atomic<const Kernel*> chosen{nullptr};
    const Kernel* kernel = chosen.load(std::memory_order_acquire);
    if (kernel == nullptr) {
        kernel = FastestSupported();
        chosen.store(kernel, std::memory_order_release);
    }
    return *kernel;
}

}  // namespace base64
