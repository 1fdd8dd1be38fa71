#pragma once
// The recursive engine: every node matches itself and then calls the rest of
// the pattern; the C++ call stack is the backtracking state.
//
// A call returns true when the whole rest of the pattern matched, and then
// the records hold the result. It returns false having put back every change
// it made, so the caller can try its next choice. Records that a node must
// restore after a body that succeeded (atomic groups, look-arounds,
// recursion) are saved on the search's hetero_stack and popped by the same
// node before it returns, in both outcomes.
//
// Depth grows with the pattern's length and with the iterations of groups
// that must be tracked one by one. Every call into another node passes the
// search guard, which abandons the search by exception before the thread's
// stack runs out; the search driver then reruns it with the iterative engine.
// The hetero_stack is cut back by the driver in that case.

#include <algorithm>

#include "regex/nodes.h"

namespace regex::detail {

template <class End, class It>
bool descend(const sub_expr<It>* n, match_param<It>& p, It pos) {
    p.guard->on_descent();
    return n->template match_all<End>(p, pos);
}

template <class It>
backref_tag<It>* save_records(match_param<It>& p, nested_groups groups) {
    return p.stack->push_array(p.records + groups.first, groups.count);
}

template <class It>
void restore_records(match_param<It>& p, nested_groups groups, const backref_tag<It>* saved) {
    std::copy(saved, saved + groups.count, p.records + groups.first);
}

template <class It>
void drop_records(match_param<It>& p) {
    p.stack->template pop_array<backref_tag<It>>();
}

template <class Derived, class It>
template <class End>
bool simple_node<Derived, It>::match_all_impl(param& p, It pos) const {
    if (!static_cast<const Derived*>(this)->template match_this_impl<End>(p, pos)) return false;
    return descend<End>(this->next_, p, pos);
}

template <class It>
template <class End>
bool match_group<It>::match_all_impl(param& p, It pos) const {
    if (!admits<End>(p, pos)) return false;
    if (number_ == no_group) {
        for (const sub_expr<It>* alternative : alternatives_)
            if (descend<End>(alternative, p, pos)) return true;
        return false;
    }
    backref_tag<It>& record = p.records[number_];
    const It saved = record.istart;
    record.istart = pos;
    for (const sub_expr<It>* alternative : alternatives_)
        if (descend<End>(alternative, p, pos)) return true;
    record.istart = saved;
    return false;
}

template <class It>
template <class End>
bool match_group<It>::match_this_impl(param& p, It& pos) const {
    if (!admits<End>(p, pos)) return false;
    for (const sub_expr<It>* n : alternatives_) {
        It at = pos;
        while (n != end_ && n->template match_this<End>(p, at)) n = n->next();
        if (n == end_) {
            pos = at;
            return true;
        }
    }
    return false;
}

template <class It>
template <class End>
bool end_group<It>::match_all_impl(param& p, It pos) const {
    backref_tag<It>& record = p.records[number_];
    const It first = record.first;
    const It second = record.second;
    const bool matched = record.matched;
    record.first = record.istart;
    record.second = pos;
    record.matched = true;
    if (descend<End>(this->next_, p, pos)) return true;
    record.first = first;
    record.second = second;
    record.matched = matched;
    return false;
}

template <class It>
template <class End>
bool independent_group<It>::match_all_impl(param& p, It pos) const {
    const backref_tag<It>* saved = save_records(p, nested_);
    bool matched = descend<End>(body_, p, pos);
    if (matched) {
        matched = descend<End>(this->next_, p, p.sub_end);
        if (!matched) restore_records(p, nested_, saved);
    }
    drop_records(p);
    return matched;
}

template <class It>
template <class End>
bool independent_group<It>::body_matched(param& p, It pos) const {
    p.sub_end = pos;
    return true;
}

template <class It, bool Negative>
template <class End>
bool lookahead_assertion<It, Negative>::match_all_impl(param& p, It pos) const {
    const backref_tag<It>* saved = save_records(p, nested_);
    const bool body = descend<End>(body_, p, pos);
    bool matched = false;
    if (body != Negative) {
        matched = descend<End>(this->next_, p, pos);
        if (!matched && body) restore_records(p, nested_, saved);
        drop_records(p);
        return matched;
    }
    if (body) restore_records(p, nested_, saved);
    drop_records(p);
    return else_ != nullptr && descend<End>(else_, p, pos);
}

template <class It, bool Negative>
template <class End>
bool lookahead_assertion<It, Negative>::body_matched(param&, It) const {
    return true;
}

template <class It, bool Negative>
template <class End>
bool lookbehind_assertion<It, Negative>::match_all_impl(param& p, It pos) const {
    It candidate;
    It last;
    if (candidates(p, pos, candidate, last)) {
        const backref_tag<It>* saved = save_records(p, nested_);
        const It outer_target = p.lookbehind_target;
        for (;;) {
            p.lookbehind_target = pos;
            const bool body = descend<End>(body_, p, candidate);
            p.lookbehind_target = outer_target;
            if (body) {
                bool matched = false;
                if (!Negative) matched = descend<End>(this->next_, p, pos);
                if (!matched) restore_records(p, nested_, saved);
                // Negative: the assertion fails. Positive: try the next start,
                // unless this is a condition, which is decided once, or the
                // body records nothing, so any other start would hand the
                // successor the very state that just failed.
                if (matched || Negative || else_ != nullptr || nested_.count == 0) {
                    drop_records(p);
                    if (matched) return true;
                    return Negative && else_ != nullptr && descend<End>(else_, p, pos);
                }
            }
            if (candidate == last) break;
            ++candidate;
        }
        drop_records(p);
    }
    if (Negative) return descend<End>(this->next_, p, pos);
    return else_ != nullptr && descend<End>(else_, p, pos);
}

template <class It, bool Negative>
template <class End>
bool lookbehind_assertion<It, Negative>::body_matched(param& p, It pos) const {
    return pos == p.lookbehind_target;
}

template <class It>
template <class End>
bool match_conditional<It>::match_all_impl(param& p, It pos) const {
    backref_tag<It>& record = p.records[number_];
    const It saved = record.istart;
    record.istart = pos;
    if (descend<End>(assertion_ != nullptr ? assertion_ : branch(p), p, pos)) return true;
    record.istart = saved;
    return false;
}

template <class It>
template <class End>
bool match_recurse<It>::match_all_impl(param& p, It pos) const {
    // Recursing again where the enclosing recursion began, with nothing
    // consumed in between, would never end.
    if (p.recursion != nullptr && p.recursion->start == pos) return false;
    recursion_frame<It> frame{p.recursion, this, pos, p.stack->push_array(p.records, p.record_count)};
    p.recursion = &frame;
    const bool matched = descend<End>(p.top, p, pos);
    p.recursion = frame.previous;
    drop_records(p);
    return matched;
}

template <class It>
template <class End>
bool end_of_pattern<It>::match_all_impl(param& p, It pos) const {
    if (recursion_frame<It>* frame = p.recursion) {
        // The records go back to what the caller of the recursion had; the
        // recursion's own are kept in the frame in case the caller fails.
        std::swap_ranges(p.records, p.records + p.record_count, frame->saved);
        p.recursion = frame->previous;
        const bool matched = descend<End>(frame->caller->next(), p, pos);
        p.recursion = frame;
        if (!matched) std::swap_ranges(p.records, p.records + p.record_count, frame->saved);
        return matched;
    }
    return !(p.no_empty_at_start && pos == p.attempt_start && pos == p.istart);
}

template <class It, class Atom, bool Greedy>
template <class End>
bool atom_quantifier<It, Atom, Greedy>::match_all_impl(param& p, It pos) const {
    backoff b;
    if (!start<End>(p, pos, b)) return false;
    do {
        if (may_continue<End>(p, b.end)) {
            record(p, b);
            if (descend<End>(this->next_, p, b.end)) return true;
        }
    } while (advance<End>(p, b));
    if constexpr (records_group) p.records[atom_->number()] = b.before;
    return false;
}

// The part of a group's record that its quantifier owns.
template <class It>
struct loop_state {
    It earlier_start;
    It current_start;
    std::uint32_t iteration_count;
    bool earlier_valid;
    bool current_valid;

    static loop_state of(const backref_tag<It>& r) {
        return {r.earlier_start, r.current_start, r.iteration_count, r.earlier_valid, r.current_valid};
    }
    void restore(backref_tag<It>& r) const {
        r.earlier_start = earlier_start;
        r.current_start = current_start;
        r.iteration_count = iteration_count;
        r.earlier_valid = earlier_valid;
        r.current_valid = current_valid;
    }
};

template <class It, bool Greedy>
template <class End>
bool group_quantifier<It, Greedy>::match_all_impl(param& p, It pos) const {
    backref_tag<It>& record = p.records[record_];
    const loop_state<It> saved = loop_state<It>::of(record);
    record.iteration_count = 0;
    record.earlier_valid = false;
    record.current_start = pos;
    record.current_valid = true;
    if (iterate<End>(p, pos)) return true;
    saved.restore(record);
    return false;
}

template <class It, bool Greedy>
template <class End>
bool group_quantifier<It, Greedy>::iterate(param& p, It pos) const {
    const std::uint32_t count = p.records[record_].iteration_count;
    if (known_to_fail(p, pos, count)) return false;
    if (iterate_once<End>(p, pos)) return true;
    note_failure(p, pos, count);
    return false;
}

template <class It, bool Greedy>
template <class End>
bool group_quantifier<It, Greedy>::iterate_once(param& p, It pos) const {
    std::uint32_t& count = p.records[record_].iteration_count;
    if constexpr (Greedy) {
        if (count < q_.max) {
            ++count;
            if (descend<End>(entry_, p, pos)) return true;
            --count;
            if (count < q_.min) return false;
        }
        return descend<End>(this->next_, p, pos);
    } else {
        if (count < q_.min) {
            ++count;
            if (descend<End>(entry_, p, pos)) return true;
            --count;
            return false;
        }
        if (descend<End>(this->next_, p, pos)) return true;
        if (count < q_.max) {
            ++count;
            if (descend<End>(entry_, p, pos)) return true;
            --count;
        }
        return false;
    }
}

template <class It, bool Greedy>
template <class End>
bool end_quantifier<It, Greedy>::match_all_impl(param& p, It pos) const {
    backref_tag<It>& record = p.records[quantifier_->record()];
    if (quantifier_->ends_loop(record, pos)) return descend<End>(quantifier_->next(), p, pos);
    const loop_state<It> saved = loop_state<It>::of(record);
    record.earlier_start = record.current_start;
    record.earlier_valid = record.current_valid;
    record.current_start = pos;
    record.current_valid = true;
    if (quantifier_->template iterate<End>(p, pos)) return true;
    saved.restore(record);
    return false;
}

}  // namespace regex::detail
