#pragma once
// The group records of a match, as the matcher fills them and callers read them.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace regex {

template <class It>
class basic_rpattern_base;

namespace detail {

// The state of one group during a match; begin, end and matched are what
// callers see afterwards. The rest is the matcher's bookkeeping for the group
// and for a quantifier on it, kept here so that one record restores it all.
template <class It>
struct backref_tag {
    It first{};                        // where the group's text begins; empty until it matched
    It second{};                       // where it ends
    bool matched = false;              // the group took part in the match
    It istart{};                       // where the current iteration of the group began
    std::uint32_t iteration_count = 0; // iterations of a quantifier on this group so far
    bool earlier_valid = false;        // earlier_start holds a position
    bool current_valid = false;        // current_start holds a position
    It earlier_start{};                // start of the iteration before the current one
    It current_start{};                // start of the current iteration
};

}  // namespace detail

template <class It>
class basic_match_results {
public:
    using backref_type = detail::backref_tag<It>;

    // Record 0 is the whole match, then the capturing groups in the order of
    // their opening parentheses. After a global match the list holds the
    // records the result policy kept (see flag_first_backrefs and
    // flag_all_backrefs).
    std::size_t cbackrefs() const { return records_.size(); }
    const backref_type& backref(std::size_t i) const { return records_[i]; }
    const std::vector<backref_type>& all_backrefs() const { return records_; }

    // Where the text that the positions refer to begins.
    It ibegin() const { return ibegin_; }
    bool matched(std::size_t i) const { return i < records_.size() && records_[i].matched; }
    // Offset and length of record i from the text's begin; 0 and 0 for a record that did not match.
    std::size_t rstart(std::size_t i) const { return matched(i) ? static_cast<std::size_t>(records_[i].first - ibegin_) : 0; }
    std::size_t rlength(std::size_t i) const {
        return matched(i) ? static_cast<std::size_t>(records_[i].second - records_[i].first) : 0;
    }

private:
    friend class basic_rpattern_base<It>;

    std::vector<backref_type> records_;  // see cbackrefs
    It ibegin_{};                        // see ibegin
};

}  // namespace regex
