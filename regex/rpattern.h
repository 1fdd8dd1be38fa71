#pragma once
// Compiled patterns: the engine's interface.
//
//     regex::rpattern pattern("b(c)", regex::flag_ignore_case);
//     regex::match_results results;
//     if (pattern.match(text, results).matched) { ... results.rstart(1) ... }
//
//     regex::rpattern swap("(\\w+) (\\w+)", regex::flag_global);
//     swap.set_substitution("$2 $1");
//     regex::subst_results replaced;
//     swap.substitute(text, replaced);  // text rewritten, the count returned
//
// A pattern is compiled once by its constructor (bad_regexpr on a syntax
// error) and is read-only afterwards, so one pattern may serve several
// threads, each with its own results. Two instantiations exist: over
// std::string positions (rpattern) and over character pointers (rpattern_c,
// which can also search NUL-terminated text).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include "regex/arena_allocator.h"
#include "regex/bad_regexpr.h"
#include "regex/flags.h"
#include "regex/match_results.h"
#include "regex/node_support.h"
#include "regex/search_plan.h"
#include "regex/subst_list.h"
#include "regex/subst_results.h"

namespace regex {

// Bounds on one call's work. The recursive engine needs none: it hands
// over to the iterative engine when the thread's stack runs low.
struct match_limits {
    static constexpr std::uint64_t unlimited = ~std::uint64_t{0};

    // Heap the iterative engine may take for backtracking state; a search
    // that needs more raises hetero_stack::budget_exceeded, a std::bad_alloc.
    // 0 leaves it to the search: a share per character of the text, so that
    // deeper texts can be followed, within what the process can spare.
    std::size_t backtrack_bytes = 0;
    // Node visits a call may make, each repetition of a quantified atom
    // counted as one, for callers that run untrusted patterns: backtracking
    // can take time exponential in the text's length. Running out raises
    // match_limit_exceeded.
    std::uint64_t steps = unlimited;
};

class match_limit_exceeded : public std::runtime_error {
public:
    match_limit_exceeded() : std::runtime_error("regex match exceeded its step limit") {}
};

namespace detail {

template <class It>
class sub_expr;
template <class It>
class searcher;

// What a compiled pattern knows; see basic_rpattern for the operations.
template <class It>
class basic_rpattern_base_impl {
public:
    virtual ~basic_rpattern_base_impl();
    basic_rpattern_base_impl(const basic_rpattern_base_impl&) = delete;
    basic_rpattern_base_impl& operator=(const basic_rpattern_base_impl&) = delete;

    const std::string& pattern() const { return pattern_; }
    RegexFlags flags() const { return flags_; }
    unsigned mode() const { return mode_; }
    // Every group, group 0 and the invisible ones included.
    std::uint32_t group_count() const { return group_count_; }
    // Group 0 and the capturing groups: the records a match hands back.
    std::uint32_t capture_count() const { return capture_count_; }
    std::size_t min_width() const { return min_width_; }
    std::size_t max_width() const { return max_width_; }  // all-ones when unbounded
    // Only the first start position can match (an anchored pattern).
    bool anchored() const { return !can_start_anywhere_; }
    // The compiled nodes as text, for tests and diagnostics (see dump.h).
    std::string dump() const;

protected:
    basic_rpattern_base_impl(std::string pattern, RegexFlags flags, unsigned mode);

    friend class searcher<It>;

    arena_allocator arena_;                        // every node of the pattern
    bool can_start_anywhere_ = true;               // false: only the first start position can match
    bool recursion_allowed_ = true;                // mode 2 may use the recursive engine
    bool memo_usable_ = false;                     // a loop remembers where it failed
    std::uint32_t group_count_ = 0;                // see group_count
    std::uint32_t capture_count_ = 0;              // see capture_count
    RegexFlags flags_;                             // as given, less flag_rightmost when anchored
    unsigned mode_;                                // the engine choice
    std::size_t min_width_ = ~std::size_t{0};      // shortest possible match
    std::size_t max_width_ = ~std::size_t{0};      // longest possible match
    std::string pattern_;                          // the pattern text
    const sub_expr<It>* top_ = nullptr;            // group 0
    std::vector<std::uint32_t> invisible_groups_;  // groups removed from results, ascending
    search_plan plan_;                             // where the search looks for matches
    std::string replacement_;                      // the replacement text, normalized under flag_normalize
    subst_list substitution_;                      // replacement_ as read
};

}  // namespace detail

template <class It>
class basic_rpattern_base : public detail::basic_rpattern_base_impl<It> {
public:
    using backref_type = detail::backref_tag<It>;

    // Searches [ibegin, iend) from istart; \A, ^, \b and look-behind see the
    // text back to ibegin. Returns record 0 of the results, which is the null
    // record when nothing matched. With flag_global every non-overlapping
    // match is found and the results keep what flag_first_backrefs and
    // flag_all_backrefs ask for (else the records of the last match).
    const backref_type& match(It ibegin, It istart, It iend, basic_match_results<It>& results,
                              const match_limits& limits = {}) const;
    const backref_type& match(It ibegin, It iend, basic_match_results<It>& results,
                              const match_limits& limits = {}) const {
        return match(ibegin, ibegin, iend, results, limits);
    }

    // The record of a group that never matched.
    static const backref_type& null_backref();

    // The text substitute puts in place of a match (see subst_list.h for
    // its syntax). Throws bad_regexpr when it is malformed, and the pattern
    // then keeps its previous replacement.
    void set_substitution(std::string replacement);
    const std::string& substitution() const { return this->replacement_; }

    // Replaces the first match in [start, start + length) of text, or under
    // flag_global every match, by the replacement, and returns how many it
    // replaced. Matches are found in text as it was before the call;
    // look-behind, \b and ^ see it back to its beginning. After an empty
    // match the next search may not match empty at the same place. The
    // results then hold the records match() would have kept, pointing into
    // their own copy of the text; under flag_no_backrefs they hold none.
    // text is left as it was when this throws.
    std::size_t substitute(std::string& text, basic_subst_results<It>& results, std::size_t start = 0,
                           std::size_t length = std::string::npos, const match_limits& limits = {}) const;

    // The same over the text [ibegin, iend), which stays as it is: the
    // rewritten text is appended to out, and nothing of the matches is kept.
    std::size_t substitute(It ibegin, It iend, std::string& out, const match_limits& limits = {}) const;

protected:
    using detail::basic_rpattern_base_impl<It>::basic_rpattern_base_impl;

    const backref_type& match_text(It ibegin, It istart, It iend, bool cstring, basic_match_results<It>& results,
                                   const match_limits& limits) const;

    // One search from istart, or under flag_global every search; on_match
    // sees the records of each match in turn, and kept ends with the
    // records the flags ask for. Returns the number of matches.
    template <class OnMatch>
    std::size_t find_matches(detail::searcher<It>& searcher, It istart, std::vector<backref_type>& kept,
                             OnMatch&& on_match) const;

    // Replaces the matches in [istart, istop) of the text [ibegin, iend) and
    // appends the whole rewritten text to out; kept as in find_matches.
    std::size_t rewrite(It ibegin, It istart, It istop, It iend, std::string& out, std::vector<backref_type>& kept,
                        const match_limits& limits) const;
};

template <class It>
class basic_rpattern : public basic_rpattern_base<It> {
public:
    using backref_type = typename basic_rpattern_base<It>::backref_type;
    using basic_rpattern_base<It>::match;

    // Throws bad_regexpr when the pattern is malformed.
    explicit basic_rpattern(std::string pattern, RegexFlags flags = 0, unsigned mode = mode_recursive);

    // The whole string, or length characters of it from start.
    template <class S = It, std::enable_if_t<std::is_same_v<S, std::string::const_iterator>, int> = 0>
    const backref_type& match(const std::string& text, basic_match_results<It>& results, std::size_t start = 0,
                              std::size_t length = std::string::npos, const match_limits& limits = {}) const {
        if (start > text.size()) start = text.size();
        if (length > text.size() - start) length = text.size() - start;
        const It begin = text.begin();
        return match(begin, begin + static_cast<std::ptrdiff_t>(start),
                     begin + static_cast<std::ptrdiff_t>(start + length), results, limits);
    }

    // A NUL-terminated text: the search ends at the first NUL.
    template <class S = It, std::enable_if_t<std::is_same_v<S, const char*>, int> = 0>
    const backref_type& match(const char* text, basic_match_results<It>& results,
                              const match_limits& limits = {}) const {
        return this->match_text(text, text, text, true, results, limits);
    }
};

using rpattern = basic_rpattern<std::string::const_iterator>;
using rpattern_c = basic_rpattern<const char*>;
using match_results = basic_match_results<std::string::const_iterator>;
using match_results_c = basic_match_results<const char*>;
using subst_results = basic_subst_results<std::string::const_iterator>;
using subst_results_c = basic_subst_results<const char*>;

extern template class detail::basic_rpattern_base_impl<std::string::const_iterator>;
extern template class detail::basic_rpattern_base_impl<const char*>;
extern template class basic_rpattern_base<std::string::const_iterator>;
extern template class basic_rpattern_base<const char*>;
extern template class basic_rpattern<std::string::const_iterator>;
extern template class basic_rpattern<const char*>;

}  // namespace regex
