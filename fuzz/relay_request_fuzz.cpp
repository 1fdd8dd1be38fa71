// Feeds arbitrary browser bytes to the relay's request stream, once whole
// and once cut at a point the input chooses. Both readings must ask the
// relay to do the same things: a difference means state carried wrongly
// between reads. Memory must stay within the stream's limits.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "proxy/relay/request_stream.h"

namespace {

std::string Transcript(std::string_view input, std::size_t cut) {
    relay::RequestStream stream;
    std::string text;
    const std::string_view pieces[] = {input.substr(0, cut), input.substr(cut)};
    for (std::string_view piece : pieces) {
        stream.Input().Append(piece);
        if (stream.Input().Size() > relay::kMaxHeaderBlock + input.size()) std::abort();
        for (;;) {
            const relay::RequestStream::Event event = stream.Next();
            if (event.step == relay::RequestStream::Step::NeedMore) break;
            if (event.step == relay::RequestStream::Step::Fail) return text + "!";
            if (event.step == relay::RequestStream::Step::Forward) {
                if (event.bytes.empty()) std::abort();  // an empty forward could loop forever
                text.append(event.bytes);
            } else {
                text += "\x01" + stream.Request().host + ":" + std::to_string(stream.Request().port) + "\x01" +
                        stream.Head() + "\x01";
            }
        }
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2 || size > (1u << 20)) return 0;
    const std::size_t cut = (std::size_t{data[0]} << 8 | data[1]) % size;
    const std::string_view input(reinterpret_cast<const char*>(data + 2), size - 2);
    const std::size_t at = cut < input.size() ? cut : input.size();
    const std::string whole = Transcript(input, input.size());
    const std::string split = Transcript(input, at);
    // A failure may be noticed at a different point, but what was asked
    // for before it must agree.
    const bool wholeFailed = !whole.empty() && whole.back() == '!';
    const bool splitFailed = !split.empty() && split.back() == '!';
    if (wholeFailed != splitFailed) std::abort();
    if (!wholeFailed && whole != split) std::abort();
    return 0;
}
