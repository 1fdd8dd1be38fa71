#pragma once
// Where a search may try the pattern, by its search_plan: the candidates
// in order, left to right or right to left, with every position the plan
// rules out passed over by a scan rather than by an attempt.
//
// Positions are pointers into the text. One object serves all the searches
// of a call: where the required literal was last found is kept, since a
// global search asks again from further on.

#include <cstddef>

#include "regex/search_plan.h"

namespace regex::detail {

class start_positions {
public:
    // The text is [begin, end); a match spans at least min_width characters.
    start_positions(const search_plan& plan, const char* begin, const char* end, std::size_t min_width);

    // The first candidate in [from, end - min_width], or nullptr. from may lie past that range.
    const char* next(const char* from);
    // Where to look on after an attempt at pos failed, for next(); nullptr
    // when the attempt was at the text's end.
    const char* after_failure(const char* pos) const;

    // The last position a match starting in [first, end - min_width] can
    // start at, by the required literal, or nullptr when none can.
    const char* last_possible(const char* first) const;
    // The last candidate in [first, from], or nullptr.
    const char* previous(const char* from, const char* first) const;

private:
    bool at_line_start(const char* pos) const { return pos == begin_ || pos[-1] == '\n'; }
    bool follows_right_character(const char* pos) const {
        return pos == begin_ ? plan_.after_text_begin : plan_.after->test(static_cast<unsigned char>(pos[-1]));
    }
    // The first occurrence of the required literal beginning at or after from, or nullptr.
    const char* required_from(const char* from);

    const search_plan& plan_;
    const char* begin_;
    const char* end_;
    const char* last_;                     // the last start that leaves room for the shortest match, if any
    const char* looked_from_ = nullptr;    // where the required literal was last looked for...
    const char* found_at_ = nullptr;       // ...and its first occurrence from there, or nullptr
};

}  // namespace regex::detail
