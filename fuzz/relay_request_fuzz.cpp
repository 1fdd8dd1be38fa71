// Feeds arbitrary browser bytes to the relay's request stream, once whole and
// once cut at a point the input chooses: both readings must ask the relay to
// do the same things, and within the stream's limits.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tests/support/request_transcript.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2 || size > (1u << 20)) return 0;
    const std::string_view input(reinterpret_cast<const char*>(data + 2), size - 2);
    const std::size_t cut = (std::size_t{data[0]} << 8 | data[1]) % size;
    if (!relay_oracle::SplitDisagreement(input, cut < input.size() ? cut : input.size()).empty()) std::abort();
    return 0;
}
