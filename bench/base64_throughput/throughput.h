#pragma once
// Throughput of Base64 codecs and of memcpy, measured the same way natively
// and under Wine so that the two can be compared: each figure is the best of
// many short rounds, each round a batch of calls long enough for the clock.
// Rounds are short so that some of them run between two preemptions on a
// busy machine: the best one is what the code does when it has the CPU.
// Prints one line a figure: SUBJECT DIRECTION SIZE MB/s, where encoding
// counts the input bytes and decoding the text, as the subject's own encoder
// wrote it (CR LF line breaks or not).

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "base64/kernel.h"

namespace throughput {

constexpr std::uint32_t kSizes[] = {1u << 10, 64u << 10, 16u << 20};

// Makes the compiler assume that `written` is read, so no call is dropped.
inline void Keep(const void* written) { __asm__ volatile("" : : "r"(written) : "memory"); }

template <class Call>
double BestMegabytesPerSecond(std::uint32_t bytesPerCall, Call&& call) {
    using Clock = std::chrono::steady_clock;
    constexpr double kRoundSeconds = 0.005;
    constexpr int kRounds = 60;
    std::uint64_t batch = 1;
    double best = 0;
    for (int round = 0; round < kRounds;) {
        const auto start = Clock::now();
        for (std::uint64_t i = 0; i < batch; ++i) call();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (seconds < kRoundSeconds) {
            batch *= 2;
            continue;
        }
        best = std::max(best, static_cast<double>(bytesPerCall) * static_cast<double>(batch) / seconds / 1e6);
        ++round;
    }
    return best;
}

inline std::vector<unsigned char> RandomBytes(std::uint32_t n) {
    std::mt19937 random(42);
    std::vector<unsigned char> bytes(n);
    for (unsigned char& b : bytes) b = static_cast<unsigned char>(random());
    return bytes;
}

inline void Report(const char* subject, const char* direction, std::uint32_t size, double megabytesPerSecond) {
    std::printf("%s %s %u %.1f\n", subject, direction, static_cast<unsigned>(size), megabytesPerSecond);
    std::fflush(stdout);
}

// `encode` and `decode` have the exported functions' shape (bytes written,
// 0 on failure); `encode` is given room for every encoding of n bytes, line
// breaks or not, and `decode` room for every decoding of its text.
template <class Encoder, class Decoder>
void MeasureCodec(const char* subject, Encoder encode, Decoder decode) {
    for (const std::uint32_t size : kSizes) {
        const std::vector<unsigned char> bytes = RandomBytes(size);
        const std::uint32_t characters = (size + 2) / 3 * 4;
        std::vector<unsigned char> text(characters + characters / 1024 + 4);
        const auto room = static_cast<std::uint32_t>(text.size());
        const auto textLength = static_cast<std::uint32_t>(encode(bytes.data(), size, text.data(), room));
        Report(subject, "encode", size, BestMegabytesPerSecond(size, [&] {
                   encode(bytes.data(), size, text.data(), room);
                   Keep(text.data());
               }));
        std::vector<unsigned char> decoded((textLength + 3) / 4 * 3);
        const auto* chars = reinterpret_cast<const char*>(text.data());
        const auto decodedRoom = static_cast<std::uint32_t>(decoded.size());
        if (decode(chars, textLength, decoded.data(), decodedRoom) != static_cast<int>(size) ||
            !std::equal(bytes.begin(), bytes.end(), decoded.begin())) {
            std::fprintf(stderr, "%s does not decode its own encoding of %u bytes\n", subject,
                         static_cast<unsigned>(size));
            std::exit(1);
        }
        Report(subject, "decode", size, BestMegabytesPerSecond(textLength, [&] {
                   decode(chars, textLength, decoded.data(), decodedRoom);
                   Keep(decoded.data());
               }));
    }
}

inline void MeasureMemcpy() {
    for (const std::uint32_t size : kSizes) {
        const std::vector<unsigned char> bytes = RandomBytes(size);
        std::vector<unsigned char> copy(size);
        Report("memcpy", "copy", size, BestMegabytesPerSecond(size, [&] {
                   std::memcpy(copy.data(), bytes.data(), size);
                   Keep(copy.data());
               }));
    }
}

// Every kernel of the codec that this CPU runs, linked in.
inline void MeasureKernels() {
    for (const base64::Kernel* kernel : base64::SupportedKernels()) {
        const std::string subject = std::string("kernel-") + kernel->name;
        MeasureCodec(
            subject.c_str(),
            [kernel](const unsigned char* src, std::uint32_t n, unsigned char* dst, std::uint32_t room) {
                return base64::EncodeWith(*kernel, src, n, dst, room);
            },
            [kernel](const char* src, std::uint32_t n, unsigned char* dst, std::uint32_t room) {
                return base64::DecodeWith(*kernel, src, n, dst, room);
            });
    }
}

}  // namespace throughput
