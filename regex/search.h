#pragma once
// The search driver: where to try the pattern, and with which engine.
//
// One search tries start positions until an attempt matches:
//   - none when the text is shorter than the pattern's minimum width;
//   - only the first for an anchored pattern;
//   - else the candidates of the pattern's search plan (start_positions.h),
//     right to left under flag_rightmost, from the last position that
//     leaves room for the minimum width, or left to right.
// A text that ends at its first NUL is searched without the plan's scans,
// which need to know where the text ends: only the first characters are
// checked there.
// A match starting at the search's first position must not be empty when
// the caller says so (the next search after an empty match); whatever the
// direction, no empty match is then found twice at one position.
//
// The recursive engine runs with a guard that stops it some way above the
// bottom of the thread's stack. An attempt abandoned there is run again by
// the iterative engine, which keeps the rest of the call. The iterative
// engine's memory is bounded (see backtrack_budget); a search that needs more
// raises an allocation failure rather than report a match it did not rule
// out.

#include <optional>
#include <vector>

#include "regex/iterative_engine.h"
#include "regex/recursive_engine.h"
#include "regex/rpattern.h"
#include "regex/stack_bounds.h"
#include "regex/start_positions.h"

namespace regex::detail {

// Stack left unused below the recursive engine's deepest frame: room for the
// unwinding, for the iterative engine that takes over, and for the
// platform's guard pages.
inline constexpr std::uintptr_t kStackReserve = 64 * 1024;

// Where the recursive engine stops; nowhere when the platform cannot say where the stack ends.
inline std::uintptr_t stack_limit(std::uintptr_t floor) { return floor == 0 ? 0 : floor + kStackReserve; }

// The iterative engine's heap when the caller set no limit. A long match
// leaves a few choices per character behind it, some tens of bytes each,
// so the budget grows with the text; a 32-bit process has a couple of
// gigabytes of address space to share with its host, a 64-bit one room to
// spare.
inline std::size_t backtrack_budget(const match_limits& limits, std::size_t text_length) {
    if (limits.backtrack_bytes != 0) return limits.backtrack_bytes;
    constexpr std::size_t base = std::size_t{64} << 20;
    constexpr std::size_t per_char = 16 * sizeof(void*);
    constexpr std::size_t ceiling = sizeof(void*) == 4 ? std::size_t{1} << 30 : ~std::size_t{0} / 4;
    if (text_length > (ceiling - base) / per_char) return ceiling;
    return base + per_char * text_length;
}

// The text's first character, where the plan's scans begin; some readable
// character when the text is empty, so positions are never null.
template <class It>
const char* first_char(It ibegin, It iend) {
    static const char nothing = 0;
    if (ibegin == iend) return &nothing;
    return &*ibegin;
}

// The end of a bounded text as a character pointer; for a NUL-terminated
// one the plan's scans are not used.
template <class It>
const char* raw_end(const char* text, It ibegin, It iend, bool cstring) {
    return cstring ? text : text + (iend - ibegin);
}

template <class It>
class searcher {
public:
    searcher(const basic_rpattern_base_impl<It>& pattern, It ibegin, It iend, bool cstring,
             const match_limits& limits);

    // One search from istart. records come back with one record per group
    // that callers see: the invisible groups are removed.
    bool search(It istart, bool no_empty_at_start, std::vector<backref_tag<It>>& records);

private:
    enum class engine { recursive, iterative };

    bool search_bounded(It istart);
    bool search_cstring(It istart);
    template <class End>
    bool attempt(It pos);
    // The text as characters, for the plan's scans.
    const char* raw(It pos) const { return text_ + (pos - param_.ibegin); }
    It position(const char* raw) const { return param_.ibegin + (raw - text_); }
    void remove_invisible(std::vector<backref_tag<It>>& records, bool matched) const;

    const basic_rpattern_base_impl<It>& pattern_;
    search_guard guard_;              // stack and step limits
    hetero_stack stack_;              // snapshots and choice points
    hetero_stack::mark_type bottom_;  // the stack when empty
    std::optional<loop_memo> memo_;   // see loop_memo
    match_param<It> param_;           // the state every node sees
    engine engine_;                   // the engine for the rest of this call
    bool cstring_;                    // the text ends at its first NUL
    const char* text_;                // the first character of the text, or some character if it is empty
    start_positions starts_;          // candidates of a bounded text
};

template <class It>
searcher<It>::searcher(const basic_rpattern_base_impl<It>& pattern, It ibegin, It iend, bool cstring,
                       const match_limits& limits)
    : pattern_(pattern),
      guard_(stack_limit(thread_stack_floor()), limits.steps),
      stack_(backtrack_budget(limits, cstring ? 0 : static_cast<std::size_t>(iend - ibegin))),
      bottom_(stack_.mark()),
      cstring_(cstring),
      text_(first_char(ibegin, iend)),
      starts_(pattern.plan_, text_, raw_end(text_, ibegin, iend, cstring), pattern.min_width_) {
    param_.ibegin = ibegin;
    param_.iend = iend;
    param_.top = pattern.top_;
    param_.guard = &guard_;
    param_.stack = &stack_;
    // A text that ends at its NUL has no length to size the memo by.
    if (pattern.memo_usable_ && !cstring) param_.memo = &memo_.emplace(static_cast<std::size_t>(iend - ibegin) + 1);
    const unsigned mode = pattern.mode_;
    const bool recursive = mode == mode_recursive || (mode == mode_mixed && pattern.recursion_allowed_);
    engine_ = recursive ? engine::recursive : engine::iterative;
}

template <class It>
bool searcher<It>::search(It istart, bool no_empty_at_start, std::vector<backref_tag<It>>& records) {
    records.assign(pattern_.group_count_, backref_tag<It>{});
    param_.records = records.data();
    param_.record_count = records.size();
    param_.istart = istart;
    param_.no_empty_at_start = no_empty_at_start;
    const bool matched = cstring_ ? search_cstring(istart) : search_bounded(istart);
    remove_invisible(records, matched);
    return matched;
}

template <class It>
bool searcher<It>::search_bounded(It istart) {
    using End = bounded_text<It>;
    if (static_cast<std::size_t>(param_.iend - istart) < pattern_.min_width_) return false;
    if (!pattern_.can_start_anywhere_) return attempt<End>(istart);
    const char* const first = raw(istart);
    if (pattern_.flags_ & flag_rightmost) {
        for (const char* pos = starts_.last_possible(first); pos != nullptr && (pos = starts_.previous(pos, first));) {
            if (attempt<End>(position(pos))) return true;
            if (pos == first) return false;
            --pos;
        }
        return false;
    }
    for (const char* pos = starts_.next(first); pos != nullptr;) {
        if (attempt<End>(position(pos))) return true;
        const char* after = starts_.after_failure(pos);
        pos = after == nullptr ? nullptr : starts_.next(after);
    }
    return false;
}

template <class It>
bool searcher<It>::search_cstring(It istart) {
    using End = cstring_text<It>;
    if (!pattern_.can_start_anywhere_) return attempt<End>(istart);
    const std::optional<char_table>& first_chars = pattern_.plan_.first_chars;
    if (pattern_.flags_ & flag_rightmost) {
        // Only a search that runs backwards needs to know where the text ends.
        It iend = istart;
        while (*iend != '\0') ++iend;
        if (static_cast<std::size_t>(iend - istart) < pattern_.min_width_) return false;
        for (It pos = iend - static_cast<std::ptrdiff_t>(pattern_.min_width_);; --pos) {
            if (attempt<End>(pos)) return true;
            if (pos == istart) return false;
        }
    }
    for (It pos = istart;; ++pos) {
        const bool may_begin = !first_chars || (*pos != '\0' && first_chars->test(static_cast<unsigned char>(*pos)));
        if (may_begin && attempt<End>(pos)) return true;
        if (*pos == '\0') return false;
    }
}

template <class It>
template <class End>
bool searcher<It>::attempt(It pos) {
    param_.attempt_start = pos;
    if (engine_ == engine::recursive) {
        try {
            return descend<End>(param_.top, param_, pos);
        } catch (const stack_exhausted&) {
            // Attempts before this one failed, and the engines agree: carry on iteratively from here.
            stack_.cut(bottom_);
            param_.recursion = nullptr;
            std::fill(param_.records, param_.records + param_.record_count, backref_tag<It>{});
            engine_ = engine::iterative;
        }
    }
    return run_iterative<End>(param_, pos);
}

template <class It>
void searcher<It>::remove_invisible(std::vector<backref_tag<It>>& records, bool matched) const {
    const std::vector<std::uint32_t>& invisible = pattern_.invisible_groups_;
    if (!matched) {
        records.resize(records.size() - invisible.size());
        return;
    }
    std::size_t kept = 0;
    auto skip = invisible.begin();
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (skip != invisible.end() && *skip == i) {
            ++skip;
            continue;
        }
        records[kept++] = records[i];
    }
    records.resize(kept);
}

}  // namespace regex::detail
