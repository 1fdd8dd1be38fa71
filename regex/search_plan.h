#pragma once
// What the search driver knows, before it tries anything, about where the
// matches of a pattern can be. Worked out from the compiled nodes once per
// pattern (see search_planner.h) and read-only afterwards.

#include <cstddef>
#include <optional>

#include "regex/byte_finder.h"
#include "regex/literal_finder.h"
#include "regex/node_support.h"

namespace regex::detail {

struct search_plan {
    // Every match begins with this literal: only its occurrences are tried.
    std::optional<literal_finder> prefix;
    // Every match begins with one of these characters (none when they are all possible).
    std::optional<char_table> first_chars;
    std::optional<byte_finder> first;  // finds them; set with first_chars unless there is a prefix
    // Every match begins at the text's begin or right after a line feed,
    // which this finds.
    std::optional<byte_finder> line_feed;
    // Every match begins right after one of these characters, or at the
    // text's begin if after_text_begin.
    std::optional<char_table> after;
    bool after_text_begin = false;
    // Every match holds this literal, beginning at least required_min and
    // at most required_max characters after the match's start (max
    // unbounded_width when there is no limit).
    std::optional<literal_finder> required;
    std::size_t required_min = 0;
    std::size_t required_max = 0;
    // Every match begins with an unbounded repetition of these characters,
    // perhaps after one character of leading_once (a subset of them), and
    // nothing in the pattern reads a record: when an attempt fails that
    // began there, so does every later start inside the run.
    std::optional<char_table> leading_run;
    std::optional<char_table> leading_once;
};

}  // namespace regex::detail
