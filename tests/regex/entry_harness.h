#pragma once
// RegexMatch and RegexSubstitute behind one interface, so the same cases run
// against the portable entry points and, under Wine, against ReRidu.dll's
// exports called the way an MSVC-built caller calls them.

#include <string>
#include <vector>

#include "regex/result_allocator.h"

// The caller's side of the allocator: counts the requests and hands out
// storage with one guard span after it, or none when told to refuse.
class SpanStore {
public:
    static constexpr MatchSpan kGuard = {0xA5A5A5A5u, 0x5A5A5A5Au};

    MatchSpan* Allocate(int count);

    const std::vector<int>& requests() const { return requests_; }
    // The spans of the last request, checking its guard.
    std::vector<MatchSpan> spans() const;
    void refuse() { refuse_ = true; }

private:
    std::vector<int> requests_;       // every count asked for
    std::vector<MatchSpan> storage_;  // the last request's spans, then the guard
    bool refuse_ = false;             // answer with no storage
};

struct RegexEntryPoints {
    const char* name;
    bool (*match)(const char* text, int textLength, const char* pattern, int patternLength, SpanStore* store,
                  unsigned flags);
    int (*substitute)(const char* text, int textLength, const char* pattern, int patternLength,
                      const char* replacement, int replacementLength, char* outBuffer, unsigned* outLength,
                      unsigned flags);
};

// The portable functions, with the allocator as a C++ object.
RegexEntryPoints DirectEntryPoints();
// The exports of ReRidu.dll (Windows only), with the allocator as a C table.
RegexEntryPoints ExportedEntryPoints();

// What RegexMatch did, as text:
//   "2: 1+2 2+1"  true, one request for 2 spans: offset+length of each
//   "false"       false, the allocator not called
// Anything else (several requests, false after a request) is spelled out.
std::string MatchOutcome(const RegexEntryPoints& entry, const std::string& pattern, unsigned flags,
                         const std::string& text);

// What RegexSubstitute did with an output buffer of `capacity` bytes.
struct SubstOutcome {
    int count = 0;
    unsigned outLength = 0;  // as the call left it
    std::string written;     // the buffer's first outLength bytes when it was written, else empty
    bool untouched = true;   // the buffer holds only the fill it was given
};
SubstOutcome SubstituteOutcome(const RegexEntryPoints& entry, const std::string& pattern, unsigned flags,
                               const std::string& replacement, const std::string& text, unsigned capacity);

// The rewritten text, or "(count 0)" when the call replaced nothing.
std::string Rewritten(const RegexEntryPoints& entry, const std::string& pattern, unsigned flags,
                      const std::string& replacement, const std::string& text);
