#pragma once
// The search driver: where to try the pattern, and with which engine.
//
// One search tries start positions until an attempt matches:
//   - none when the text is shorter than the pattern's minimum width;
//   - only the first for an anchored pattern;
//   - right to left under flag_rightmost, from the last position that leaves
//     room for the minimum width;
//   - else left to right, jumping between occurrences of the leading literal
//     when the pattern has one, or skipping characters that cannot begin a
//     match.
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

#include <vector>

#include "regex/iterative_engine.h"
#include "regex/literal_finder.h"
#include "regex/recursive_engine.h"
#include "regex/rpattern.h"
#include "regex/stack_bounds.h"

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

    template <class End>
    bool try_positions(It istart, It iend);
    template <class End>
    bool attempt(It pos);
    void remove_invisible(std::vector<backref_tag<It>>& records, bool matched) const;

    const basic_rpattern_base_impl<It>& pattern_;
    search_guard guard_;              // stack and step limits
    hetero_stack stack_;              // snapshots and choice points
    hetero_stack::mark_type bottom_;  // the stack when empty
    match_param<It> param_;           // the state every node sees
    engine engine_;                   // the engine for the rest of this call
    bool cstring_;                    // the text ends at its first NUL
};

template <class It>
searcher<It>::searcher(const basic_rpattern_base_impl<It>& pattern, It ibegin, It iend, bool cstring,
                       const match_limits& limits)
    : pattern_(pattern),
      guard_(stack_limit(thread_stack_floor()), limits.steps),
      stack_(backtrack_budget(limits, cstring ? 0 : static_cast<std::size_t>(iend - ibegin))),
      bottom_(stack_.mark()),
      cstring_(cstring) {
    param_.ibegin = ibegin;
    param_.iend = iend;
    param_.top = pattern.top_;
    param_.guard = &guard_;
    param_.stack = &stack_;
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
    const bool matched = cstring_ ? try_positions<cstring_text<It>>(istart, istart)
                                  : try_positions<bounded_text<It>>(istart, param_.iend);
    remove_invisible(records, matched);
    return matched;
}

template <class It>
template <class End>
bool searcher<It>::try_positions(It istart, It iend) {
    if constexpr (!End::bounded) {
        // Only a search that runs backwards needs to know where the text ends.
        if (pattern_.can_start_anywhere_ && (pattern_.flags_ & flag_rightmost))
            while (*iend != '\0') ++iend;
    }
    if (End::bounded || (pattern_.flags_ & flag_rightmost)) {
        if (static_cast<std::size_t>(iend - istart) < pattern_.min_width_) return false;
    }
    if (!pattern_.can_start_anywhere_) return attempt<End>(istart);

    if (pattern_.flags_ & flag_rightmost) {
        for (It pos = iend - static_cast<std::ptrdiff_t>(pattern_.min_width_);; --pos) {
            if (attempt<End>(pos)) return true;
            if (pos == istart) return false;
        }
    }
    if constexpr (End::bounded) {
        const It last = iend - static_cast<std::ptrdiff_t>(pattern_.min_width_);
        if (pattern_.finder_ != nullptr) {
            for (It pos = istart;; ++pos) {
                pos = pattern_.finder_->find(pos, iend);
                if (pos == iend || pos > last) return false;
                if (attempt<End>(pos)) return true;
            }
        }
        // Local copies, so the scans over characters that cannot begin a
        // match read nothing an attempt might have written.
        const char_table leading = pattern_.leading_;
        const char_table run = pattern_.leading_run_;
        for (It pos = istart; pos <= last;) {
            if (pattern_.has_leading_ && !leading.test(static_cast<unsigned char>(*pos))) {
                ++pos;
                continue;
            }
            if (attempt<End>(pos)) return true;
            if (pattern_.has_leading_run_)
                while (pos != iend && run.test(static_cast<unsigned char>(*pos))) ++pos;
            if (pos == iend) return false;
            ++pos;
        }
        return false;
    } else {
        for (It pos = istart;; ++pos) {
            const bool may_begin =
                !pattern_.has_leading_ || (*pos != '\0' && pattern_.leading_.test(static_cast<unsigned char>(*pos)));
            if (may_begin && attempt<End>(pos)) return true;
            if (*pos == '\0') return false;
        }
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
