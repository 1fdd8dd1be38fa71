#include "tests/regex/entry_harness.h"

#include <gtest/gtest.h>

namespace {

constexpr char kFill = '\x7e';

std::string Spelled(const std::vector<MatchSpan>& spans) {
    std::string out;
    for (const MatchSpan& s : spans) out += " " + std::to_string(s.offset) + "+" + std::to_string(s.length);
    return out;
}

}  // namespace

MatchSpan* SpanStore::Allocate(int count) {
    requests_.push_back(count);
    if (refuse_ || count < 1) return nullptr;
    storage_.assign(static_cast<std::size_t>(count) + 1, kGuard);
    return storage_.data();
}

std::vector<MatchSpan> SpanStore::spans() const {
    if (storage_.empty()) return {};
    const MatchSpan& guard = storage_.back();
    EXPECT_TRUE(guard.offset == kGuard.offset && guard.length == kGuard.length) << "a span written past the count";
    return {storage_.begin(), storage_.end() - 1};
}

std::string MatchOutcome(const RegexEntryPoints& entry, const std::string& pattern, unsigned flags,
                         const std::string& text) {
    SpanStore store;
    const bool matched = entry.match(text.data(), static_cast<int>(text.size()), pattern.data(),
                                     static_cast<int>(pattern.size()), &store, flags);
    const std::vector<int>& requests = store.requests();
    if (!matched && requests.empty()) return "false";
    if (matched && requests.size() == 1) return std::to_string(requests[0]) + ":" + Spelled(store.spans());
    std::string out = matched ? "true after" : "false after";
    for (int r : requests) out += " request " + std::to_string(r);
    return out + Spelled(store.spans());
}

SubstOutcome SubstituteOutcome(const RegexEntryPoints& entry, const std::string& pattern, unsigned flags,
                               const std::string& replacement, const std::string& text, unsigned capacity) {
    std::string buffer(capacity + 16, kFill);
    SubstOutcome outcome;
    outcome.outLength = capacity;
    outcome.count = entry.substitute(text.data(), static_cast<int>(text.size()), pattern.data(),
                                     static_cast<int>(pattern.size()), replacement.data(),
                                     static_cast<int>(replacement.size()), buffer.data(), &outcome.outLength, flags);
    outcome.untouched = buffer == std::string(buffer.size(), kFill);
    if (!outcome.untouched && outcome.outLength <= capacity) {
        outcome.written = buffer.substr(0, outcome.outLength);
        EXPECT_EQ(buffer.substr(outcome.outLength), std::string(buffer.size() - outcome.outLength, kFill))
            << "written past the rewritten text";
    }
    return outcome;
}

std::string Rewritten(const RegexEntryPoints& entry, const std::string& pattern, unsigned flags,
                      const std::string& replacement, const std::string& text) {
    // Asks for the length first, as a caller that does not know it would.
    const SubstOutcome sized = SubstituteOutcome(entry, pattern, flags, replacement, text, 0);
    if (sized.count == 0) return "(count 0)";
    const SubstOutcome written = SubstituteOutcome(entry, pattern, flags, replacement, text, sized.outLength);
    EXPECT_EQ(written.count, sized.count);
    EXPECT_EQ(written.outLength, sized.outLength);
    return written.written;
}
