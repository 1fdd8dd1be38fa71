// Encode and decode throughput of every codec kernel this CPU runs beside
// OpenSSL's EVP_EncodeBlock and EVP_DecodeBlock, and memcpy of the same
// bytes as the yardstick, in the same run. OpenSSL writes no line breaks and
// rejects them, so its decoder gets unbroken text; ours also runs on its own
// CR LF-broken output, which is what callers hand it, and on that output
// with blanks strewn through it. Throughput counts the
// bytes of the unencoded side for encoding and the text for decoding.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "base64/base64.h"
#include "base64/kernel.h"

namespace {

std::vector<unsigned char> RandomBytes(size_t n) {
    std::mt19937 random(42);
    std::vector<unsigned char> bytes(n);
    for (unsigned char& b : bytes) b = static_cast<unsigned char>(random());
    return bytes;
}

std::string EncodeWithCodec(const std::vector<unsigned char>& bytes) {
    const auto n = static_cast<std::uint32_t>(bytes.size());
    std::string text(*base64::EncodedSizeBound(n), '\0');
    const int written = base64::Encode(bytes.data(), n, reinterpret_cast<unsigned char*>(text.data()),
                                       static_cast<std::uint32_t>(text.size()));
    text.resize(static_cast<size_t>(written));
    return text;
}

std::string EncodeWithOpenSsl(const std::vector<unsigned char>& bytes) {
    std::string text((bytes.size() + 2) / 3 * 4 + 1, '\0');
    const int written = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()), bytes.data(),
                                        static_cast<int>(bytes.size()));
    text.resize(static_cast<size_t>(written));
    return text;
}

// The codec's encoding with a blank after every seventh character, so that
// skipped bytes fall at every place within groups and vector blocks.
std::string EncodeWithNoise(const std::vector<unsigned char>& bytes) {
    const std::string clean = EncodeWithCodec(bytes);
    std::string noisy;
    for (size_t i = 0; i < clean.size(); ++i) {
        noisy += clean[i];
        if (i % 7 == 6) noisy += ' ';
    }
    return noisy;
}

void SetThroughput(benchmark::State& state, size_t bytesPerIteration) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytesPerIteration));
}

void EncodeReRidu(benchmark::State& state, const base64::Kernel* kernel) {
    const auto bytes = RandomBytes(static_cast<size_t>(state.range(0)));
    const auto n = static_cast<std::uint32_t>(bytes.size());
    std::vector<unsigned char> out(*base64::EncodedSizeBound(n));
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            base64::EncodeWith(*kernel, bytes.data(), n, out.data(), static_cast<std::uint32_t>(out.size())));
        benchmark::ClobberMemory();
    }
    SetThroughput(state, bytes.size());
}

void EncodeOpenSsl(benchmark::State& state) {
    const auto bytes = RandomBytes(static_cast<size_t>(state.range(0)));
    std::vector<unsigned char> out((bytes.size() + 2) / 3 * 4 + 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(EVP_EncodeBlock(out.data(), bytes.data(), static_cast<int>(bytes.size())));
        benchmark::ClobberMemory();
    }
    SetThroughput(state, bytes.size());
}

void DecodeReRidu(benchmark::State& state, const base64::Kernel* kernel,
                  std::string (*encoder)(const std::vector<unsigned char>&)) {
    const std::string text = encoder(RandomBytes(static_cast<size_t>(state.range(0))));
    const auto n = static_cast<std::uint32_t>(text.size());
    std::vector<unsigned char> out(*base64::DecodedSizeBound(n));
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            base64::DecodeWith(*kernel, text.data(), n, out.data(), static_cast<std::uint32_t>(out.size())));
        benchmark::ClobberMemory();
    }
    SetThroughput(state, text.size());
}

void DecodeOpenSsl(benchmark::State& state) {
    const std::string text = EncodeWithOpenSsl(RandomBytes(static_cast<size_t>(state.range(0))));
    std::vector<unsigned char> out(text.size() / 4 * 3 + 3);
    for (auto _ : state) {
        benchmark::DoNotOptimize(EVP_DecodeBlock(out.data(), reinterpret_cast<const unsigned char*>(text.data()),
                                                 static_cast<int>(text.size())));
        benchmark::ClobberMemory();
    }
    SetThroughput(state, text.size());
}

void Memcpy(benchmark::State& state) {
    const auto bytes = RandomBytes(static_cast<size_t>(state.range(0)));
    std::vector<unsigned char> out(bytes.size());
    for (auto _ : state) {
        std::memcpy(out.data(), bytes.data(), bytes.size());
        benchmark::ClobberMemory();
    }
    SetThroughput(state, bytes.size());
}

void Sizes(benchmark::internal::Benchmark* benchmark) { benchmark->Arg(1 << 10)->Arg(64 << 10)->Arg(16 << 20); }

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    for (const base64::Kernel* kernel : base64::SupportedKernels()) {
        const std::string name = kernel->name;
        benchmark::RegisterBenchmark(("EncodeReRidu/" + name).c_str(), EncodeReRidu, kernel)->Apply(Sizes);
        benchmark::RegisterBenchmark(("DecodeReRidu/" + name + "/unbroken").c_str(), DecodeReRidu, kernel,
                                     EncodeWithOpenSsl)
            ->Apply(Sizes);
        benchmark::RegisterBenchmark(("DecodeReRidu/" + name + "/crlf_lines").c_str(), DecodeReRidu, kernel,
                                     EncodeWithCodec)
            ->Apply(Sizes);
        benchmark::RegisterBenchmark(("DecodeReRidu/" + name + "/noisy").c_str(), DecodeReRidu, kernel,
                                     EncodeWithNoise)
            ->Apply(Sizes);
    }
    benchmark::RegisterBenchmark("EncodeOpenSsl", EncodeOpenSsl)->Apply(Sizes);
    benchmark::RegisterBenchmark("DecodeOpenSsl", DecodeOpenSsl)->Apply(Sizes);
    benchmark::RegisterBenchmark("Memcpy", Memcpy)->Apply(Sizes);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
