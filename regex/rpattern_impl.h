#pragma once
// Definitions behind rpattern.h, instantiated once per position type by
// rpattern_string.cpp and rpattern_pointer.cpp.

#include <string_view>
#include <type_traits>
#include <utility>

#include "regex/compiler.h"
#include "regex/dump.h"
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
    // The memo holds when nothing that follows the loop depends on its records.
    this->memo_usable_ = compiled.memoised_loop && !compiled.reads_records;
    this->flags_ = compiled.flags;
    this->plan_ = std::move(compiled.plan);
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
    detail::searcher<It> searcher(*this, ibegin, iend, cstring, limits);
    find_matches(searcher, istart, results.records_, [](const std::vector<backref_type>&) {});
    return results.records_.empty() ? null_backref() : results.records_[0];
}

template <class It>
template <class OnMatch>
std::size_t basic_rpattern_base<It>::find_matches(detail::searcher<It>& searcher, It istart,
                                                  std::vector<backref_type>& kept, OnMatch&& on_match) const {
    try {
        if (!(this->flags_ & flag_global)) {
            if (!searcher.search(istart, false, kept)) return 0;
            on_match(kept);
            return 1;
        }
        const bool first_only = (this->flags_ & flag_first_backrefs) != 0;
        const bool all = !first_only && (this->flags_ & flag_all_backrefs) != 0;
        kept.clear();
        std::vector<backref_type> records;
        std::size_t count = 0;
        It from = istart;
        bool no_empty = false;
        while (searcher.search(from, no_empty, records)) {
            ++count;
            on_match(records);
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
        return count;
    } catch (const detail::work_exhausted&) {
        throw match_limit_exceeded();
    }
}

template <class It>
void basic_rpattern_base<It>::set_substitution(std::string replacement) {
    if (this->flags_ & flag_normalize) replacement = detail::normalize_replacement(replacement);
    detail::subst_list list = detail::parse_replacement(replacement, this->capture_count_ - 1);
    this->replacement_ = std::move(replacement);
    this->substitution_ = std::move(list);
}

template <class It>
std::size_t basic_rpattern_base<It>::rewrite(It ibegin, It istart, It istop, It iend, std::string& out,
                                             std::vector<backref_type>& kept, const match_limits& limits) const {
    const std::string_view whole(detail::first_char(ibegin, iend), static_cast<std::size_t>(iend - ibegin));
    const auto offset = [ibegin](It at) { return static_cast<std::size_t>(at - ibegin); };
    const std::size_t first_out = out.size();
    std::size_t copied = 0;  // text characters up to here are in out
    detail::searcher<It> searcher(*this, ibegin, istop, false, limits);
    const std::size_t count = find_matches(searcher, istart, kept, [&](const std::vector<backref_type>& records) {
        const std::size_t match_begin = offset(records[0].first);
        const std::size_t match_end = offset(records[0].second);
        out.append(whole, copied, match_begin - copied);
        detail::expand_replacement(this->substitution_, this->replacement_, out, [&](int group) {
            if (group == detail::subst_entry::prefix) return whole.substr(0, match_begin);
            if (group == detail::subst_entry::suffix) return whole.substr(match_end);
            // A group that took no part in the match inserts nothing.
            const backref_type& record = records[static_cast<std::size_t>(group)];
            if (!record.matched) return std::string_view();
            return whole.substr(offset(record.first), offset(record.second) - offset(record.first));
        });
        copied = match_end;
    });
    if (count == 0)
        out.resize(first_out);
    else
        out.append(whole, copied, std::string::npos);
    return count;
}

template <class It>
std::size_t basic_rpattern_base<It>::substitute(std::string& text, basic_subst_results<It>& results, std::size_t start,
                                                std::size_t length, const match_limits& limits) const {
    if (start > text.size()) start = text.size();
    if (length > text.size() - start) length = text.size() - start;
    // The rewritten text is built beside the subject, which stays as it was
    // until the end; a copy is needed only for records that outlive the call.
    const bool keep_records = !(this->flags_ & flag_no_backrefs);
    results.records_.clear();
    if (keep_records) {
        results.backing_ = text;
        results.subject_ = &results.backing_;
    } else {
        results.backing_.clear();
        results.subject_ = &text;
    }
    const std::string& subject = *results.subject_;
    It begin{};
    if constexpr (std::is_pointer_v<It>)
        begin = subject.data();
    else
        begin = subject.cbegin();
    results.ibegin_ = begin;
    const It end = begin + static_cast<std::ptrdiff_t>(subject.size());
    std::string out;
    const std::size_t count = rewrite(begin, begin + static_cast<std::ptrdiff_t>(start),
                                      begin + static_cast<std::ptrdiff_t>(start + length), end, out, results.records_,
                                      limits);
    if (!keep_records) results.records_.clear();
    if (count > 0) text = std::move(out);
    return count;
}

template <class It>
std::size_t basic_rpattern_base<It>::substitute(It ibegin, It iend, std::string& out,
                                                const match_limits& limits) const {
    std::vector<backref_type> kept;
    return rewrite(ibegin, ibegin, iend, iend, out, kept, limits);
}

}  // namespace regex
