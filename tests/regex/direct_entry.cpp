#include "regex/entry_points.h"
#include "tests/regex/entry_harness.h"

namespace {

class StoreAllocator final : public IRegexResultAllocator {
public:
    explicit StoreAllocator(SpanStore* store) : store_(store) {}
    MatchSpan* RERIDU_THISCALL Allocate(int count) override { return store_->Allocate(count); }

private:
    SpanStore* store_;
};

bool DirectMatch(const char* text, int textLength, const char* pattern, int patternLength, SpanStore* store,
                 unsigned flags) {
    StoreAllocator allocator(store);
    return regex::match_entry(text, textLength, pattern, patternLength, store != nullptr ? &allocator : nullptr,
                              flags);
}

}  // namespace

RegexEntryPoints DirectEntryPoints() { return {"direct", DirectMatch, regex::substitute_entry}; }
