// 64-bit Windows gives no stack realignment to a function that spills 32-byte
// registers, and the browser's 32-bit code keeps the stack 4-byte aligned
// only: every kernel must give the same bytes whatever the alignment of the
// stack it is called on.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "base64/kernel.h"
#include "tests/base64/kernel_run.h"

namespace {

using Routine = void (*)(void*);

// Calls routine(argument) with the stack pointer `shift` bytes below a
// 32-byte boundary (before the call's own pushes).
void CallWithStackShift(Routine routine, void* argument, std::uintptr_t shift) {
#if defined(__x86_64__)
    // Keeps the 16-byte alignment that the 64-bit calling convention
    // promises, and the 32 bytes of home space for the callee.
    __asm__ volatile(
        "movq %%rsp, %%rsi\n\t"
        "andq $-32, %%rsp\n\t"
        "subq %%rax, %%rsp\n\t"
        "subq $32, %%rsp\n\t"
        "call *%%rbx\n\t"
        "movq %%rsi, %%rsp"
        : "+a"(shift), "+c"(argument)
        : "b"(routine)
        : "rdx", "rsi", "r8", "r9", "r10", "r11", "memory", "cc", "xmm0", "xmm1", "xmm2", "xmm3", "xmm4", "xmm5",
          "xmm6", "xmm7", "xmm8", "xmm9", "xmm10", "xmm11", "xmm12", "xmm13", "xmm14", "xmm15");
#elif defined(__i386__)
    __asm__ volatile(
        "movl %%esp, %%esi\n\t"
        "andl $-32, %%esp\n\t"
        "subl %%eax, %%esp\n\t"
        "subl $12, %%esp\n\t"
        "pushl %%edi\n\t"
        "call *%%ebx\n\t"
        "movl %%esi, %%esp"
        : "+a"(shift)
        : "b"(routine), "D"(argument)
        : "ecx", "edx", "esi", "memory", "cc", "xmm0", "xmm1", "xmm2", "xmm3", "xmm4", "xmm5", "xmm6", "xmm7");
#else
#error "no stack-shifting call for this processor"
#endif
}

#if defined(__x86_64__)
constexpr std::uintptr_t kShifts[] = {0, 16};
#else
constexpr std::uintptr_t kShifts[] = {0, 4, 8, 12, 16, 20, 24, 28};
#endif

struct KernelRun {
    const base64::Kernel* kernel;
    std::string bytes, noisyText;
    std::string encoded, decoded, decodedNoisy;
};

void RunKernel(void* argument) {
    KernelRun& run = *static_cast<KernelRun*>(argument);
    run.encoded = base64_test::EncodedWith(*run.kernel, run.bytes).value_or("refused");
    run.decoded = base64_test::DecodedWith(*run.kernel, run.encoded).value_or("refused");
    run.decodedNoisy = base64_test::DecodedWith(*run.kernel, run.noisyText).value_or("refused");
}

}  // namespace

TEST(Base64StackAlignment, EveryKernelGivesTheSameBytesOnAnyStackAlignment) {
    std::mt19937 random(5);
    std::string bytes(5000, '\0');
    for (char& b : bytes) b = static_cast<char>(random());
    const std::string text = *base64_test::EncodedWith(base64::kScalarKernel, bytes);
    std::string noisyText;
    for (char c : text) {
        // Bytes below "+": none is in the alphabet.
        if (random() % 5 == 0) noisyText += static_cast<char>(random() % 43);
        noisyText += c;
    }
    for (const base64::Kernel* kernel : base64::SupportedKernels()) {
        for (std::uintptr_t shift : kShifts) {
            KernelRun run{kernel, bytes, noisyText, {}, {}, {}};
            CallWithStackShift(RunKernel, &run, shift);
            EXPECT_EQ(run.encoded, text) << kernel->name << ", shift " << shift;
            EXPECT_EQ(run.decoded, bytes) << kernel->name << ", shift " << shift;
            EXPECT_EQ(run.decodedNoisy, bytes) << kernel->name << ", shift " << shift;
        }
    }
}
