// The exports looked up by name in the loaded DLL, and the allocator laid
// out as MSVC lays out an object with one virtual function: a pointer to a
// table whose slot 0 takes the object in ECX on i686 and pops its argument.
#include "frame/reridu_exports.h"
#include "tests/regex/entry_harness.h"
#include "tests/support/library_exports.h"

namespace {

struct AllocatorObject;

#pragma GCC diagnostic push
// GCC honours thiscall on plain functions and pointers to them, and only
// warns that they are no member functions.
#pragma GCC diagnostic ignored "-Wattributes"
struct AllocatorTable {
    MatchSpan*(RERIDU_THISCALL* allocate)(AllocatorObject* self, int count);
};

struct AllocatorObject {
    const AllocatorTable* table;
    SpanStore* store;
};

MatchSpan* RERIDU_THISCALL AllocateFromStore(AllocatorObject* self, int count) { return self->store->Allocate(count); }
#pragma GCC diagnostic pop

constexpr AllocatorTable kTable = {AllocateFromStore};

bool ExportedMatch(const char* text, int textLength, const char* pattern, int patternLength, SpanStore* store,
                   unsigned flags) {
    static auto* const match = RERIDU_EXPORT(RegexMatch);
    AllocatorObject object{&kTable, store};
    return match(text, textLength, pattern, patternLength,
                 store != nullptr ? reinterpret_cast<IRegexResultAllocator*>(&object) : nullptr, flags);
}

int ExportedSubstitute(const char* text, int textLength, const char* pattern, int patternLength,
                       const char* replacement, int replacementLength, char* outBuffer, unsigned* outLength,
                       unsigned flags) {
    static auto* const substitute = RERIDU_EXPORT(RegexSubstitute);
    return substitute(text, textLength, pattern, patternLength, replacement, replacementLength, outBuffer, outLength,
                      flags);
}

}  // namespace

RegexEntryPoints ExportedEntryPoints() { return {"exports", ExportedMatch, ExportedSubstitute}; }
