#pragma once
// Definitions behind rpattern.h, instantiated once per position type by
// rpattern_string.cpp and rpattern_pointer.cpp.

#include <utility>

#include "regex/compiler.h"
#include "regex/dump.h"
#include "regex/literal_finder.h"
#include "regex/rpattern.h"
#include "regex/search.h"

namespace regex {
namespace detail {

template <class It>
basic_rpattern_base_impl<It>::basic_rpattern_base_impl(std::string pattern, RegexFlags flags, unsigned mode)
    : flags_(flags), mode_(mode), pattern_(std::move(pattern)) {}

template <class It>
basic_rpattern_base_impl<It>::~basic_rpattern_base_impl() = default;

template <class It>
std::string basic_rpattern_base_impl<It>::dump() const {
    return dump_chain(top_);
}

}  // namespace detail

template <class It>
basic_rpattern<It>::basic_rpattern(std::string pattern, RegexFlags flags, unsigned mode)
    : basic_rpattern_base<It>(std::move(pattern), flags, mode) {
    detail::compiled_pattern<It> compiled = detail::compiler<It>(this->pattern_, flags, this->arena_).compile();
    this->top_ = compiled.top;
    this->group_count_ = compiled.group_count;
    this->capture_count_ = compiled.capture_count;
    this->invisible_groups_ = std::move(compiled.invisible_groups);
    this->min_width_ = compiled.width.min;
    this->max_width_ = compiled.width.max;
    this->can_start_anywhere_ = compiled.can_start_anywhere;
    this->recursion_allowed_ = compiled.recursion_allowed;
    this->flags_ = compiled.flags;
    this->has_leading_ = compiled.has_leading;
    this->leading_ = compiled.leading.chars;
    if (!compiled.leading.literal.empty())
        this->finder_ = std::make_unique<detail::literal_finder>(compiled.leading.literal, compiled.leading.literal_nocase);
}

template <class It>
const typename basic_rpattern_base<It>::backref_type& basic_rpattern_base<It>::null_backref() {
    static const backref_type null_record{};
    return null_record;
}

template <class It>
const typename basic_rpattern_base<It>::backref_type& basic_rpattern_base<It>::match(
    It ibegin, It istart, It iend, basic_match_results<It>& results, const match_limits& limits) const {
    return match_text(ibegin, istart, iend, false, results, limits);
}

template <class It>
const typename basic_rpattern_base<It>::backref_type& basic_rpattern_base<It>::match_text(
    It ibegin, It istart, It iend, bool cstring, basic_match_results<It>& results, const match_limits& limits) const {
    results.ibegin_ = ibegin;
    std::vector<backref_type>& kept = results.records_;
    try {
        detail::searcher<It> searcher(*this, ibegin, iend, cstring, limits);
        if (!(this->flags_ & flag_global)) {
            searcher.search(istart, false, kept);
            return kept[0];
        }
        const bool first_only = (this->flags_ & flag_first_backrefs) != 0;
        const bool all = !first_only && (this->flags_ & flag_all_backrefs) != 0;
        kept.clear();
        std::vector<backref_type> records;
        It from = istart;
        bool no_empty = false;
        while (searcher.search(from, no_empty, records)) {
            // The next search starts where this match ended, and may not match empty there again.
            from = records[0].second;
            no_empty = records[0].first == records[0].second;
            if (first_only)
                kept.push_back(records[0]);
            else if (all)
                kept.insert(kept.end(), records.begin(), records.end());
            else
                kept.swap(records);
        }
    } catch (const detail::work_exhausted&) {
        throw match_limit_exceeded();
    }
    return kept.empty() ? null_backref() : kept[0];
}

}  // namespace regex
