#include "tests/support/request_transcript.h"

namespace relay_oracle {

using relay::RequestStream;

std::string RequestTranscript(const std::vector<std::string_view>& pieces, RequestStream* kept) {
    RequestStream local;
    RequestStream& stream = kept ? *kept : local;
    std::size_t total = 0;
    std::string text;
    std::string forwarded;
    auto flush = [&] {
        if (!forwarded.empty()) text += "F<" + forwarded + ">";
        forwarded.clear();
    };
    for (std::string_view piece : pieces) {
        stream.Input().Append(piece);
        total += piece.size();
        if (stream.Input().Size() > relay::kMaxHeaderBlock + total) return text + "input held beyond the limits?";
        for (;;) {
            const RequestStream::Event event = stream.Next();
            if (event.step == RequestStream::Step::NeedMore) break;
            if (event.step == RequestStream::Step::Fail) {
                flush();
                return text + "!";
            }
            if (event.step == RequestStream::Step::Forward) {
                // An empty forward would have the relay loop for ever.
                if (event.bytes.empty()) return text + "empty forward?";
                forwarded.append(event.bytes);
            } else {
                flush();
                text += "R<" + stream.Request().host + ":" + std::to_string(stream.Request().port) + "|" +
                        stream.Head() + ">";
            }
        }
    }
    flush();
    return text;
}

std::string SplitDisagreement(std::string_view input, std::size_t cut) {
    const std::string whole = RequestTranscript({input});
    const std::string split = RequestTranscript({input.substr(0, cut), input.substr(cut)});
    const char wholeEnd = whole.empty() ? '>' : whole.back();
    const char splitEnd = split.empty() ? '>' : split.back();
    const bool agree =
        wholeEnd != '?' && splitEnd != '?' && wholeEnd == splitEnd && (wholeEnd == '!' || whole == split);
    return agree ? std::string() : "whole: " + whole + "\ncut at " + std::to_string(cut) + ": " + split;
}

}  // namespace relay_oracle
