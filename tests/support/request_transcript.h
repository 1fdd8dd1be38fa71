#pragma once
// The oracle of the request stream, shared by its unit test and its fuzz
// target: what the stream asks the relay to do, as text, and whether that
// stays the same when the input arrives in other pieces.

#include <string>
#include <string_view>
#include <vector>

#include "proxy/relay/request_stream.h"

namespace relay_oracle {

// The stream fed the pieces in turn: R<host:port|head> per request, F<bytes>
// per run of forwarded bytes, then "!" when the stream fails. A broken
// invariant (an empty forward, input held beyond the stream's limits) ends
// the transcript with "?" instead, so a transcript ends in '>' or '!' or '?'.
// stream, when given, is the one fed, so its state can be looked at after.
std::string RequestTranscript(const std::vector<std::string_view>& pieces, relay::RequestStream* stream = nullptr);

// Empty when reading input cut in two at `cut` asks for what reading it whole
// does (a failure may be noticed at another point, but must be noticed);
// otherwise both transcripts.
std::string SplitDisagreement(std::string_view input, std::size_t cut);

}  // namespace relay_oracle
