#pragma once
// The iterative engine: the same nodes driven by a loop, with the
// backtracking state on a hetero_stack instead of the call stack, so the
// depth of a match costs heap memory (within the search's budget) rather than
// thread stack.
//
// step() matches one node, moves the position and names the next node in
// p.next (none when the match is complete). A node that leaves a choice or a
// change behind pushes its data as a tagged item whose tag names the node.
// When a step fails, the loop hands the top item to the node its tag names:
// restep() pops the data and either undoes its change and fails on (false)
// or resumes forward from a new position and node (true).
//
// A choice holds only what cannot be worked out again when it is taken back:
// a long match leaves one per iteration and alternative, and that memory is
// what limits how deep a text the engine can follow.
//
// Constructs whose body is a separate match (atomic groups and look-arounds)
// push a snapshot of the records the body may change and then their
// assertion_frame as their choice; the frame becomes p.barrier. The body's
// end node finds the frame there and cuts the stack back to it, discarding
// the body's choices at once; the snapshot below puts the records back if
// the matcher ever backtracks past the construct. A (?R) pushes a snapshot of
// every record and its recursion_frame; end_of_pattern returns through it.

#include <algorithm>

#include "regex/nodes.h"
#include "regex/recursive_engine.h"

namespace regex::detail {

template <class It, class T>
T* push_choice(match_param<It>& p, const sub_expr<It>* owner, const T& data) {
    return p.stack->push_tagged(data, owner);
}

template <class It, class T>
T pop_choice(match_param<It>& p) {
    return p.stack->template pop_tagged<T>();
}

// Pushes a construct's snapshot and frame and makes the frame the barrier.
template <class It>
assertion_frame<It>* enter_body(match_param<It>& p, const sub_expr<It>* owner, nested_groups groups,
                                const assertion_frame<It>& frame) {
    save_records(p, groups);
    assertion_frame<It>* f = push_choice(p, owner, frame);
    f->mark = p.stack->mark();
    p.barrier = f;
    return f;
}

// Takes a construct's frame and snapshot back off the stack, putting the
// records back; returns the frame.
template <class It>
assertion_frame<It> leave_body(match_param<It>& p, nested_groups groups) {
    const assertion_frame<It> frame = pop_choice<It, assertion_frame<It>>(p);
    std::size_t count = 0;
    restore_records(p, groups, p.stack->template top_array<backref_tag<It>>(count));
    drop_records(p);
    p.barrier = frame.previous;
    return frame;
}

template <class End, class It>
bool run_iterative(match_param<It>& p, It pos) {
    hetero_stack& stack = *p.stack;
    const hetero_stack::mark_type base = stack.mark();
    p.barrier = nullptr;
    const sub_expr<It>* n = p.top;
    for (;;) {
        p.guard->on_step();
        bool forward = n->template step<End>(p, pos);
        while (!forward) {
            if (stack.mark() == base) return false;
            p.guard->on_step();
            forward = static_cast<const sub_expr<It>*>(stack.top_tag())->template restep<End>(p, pos);
        }
        n = p.next;
        if (n == nullptr) {
            stack.cut(base);
            return true;
        }
    }
}

template <class Derived, class It>
template <class End>
bool simple_node<Derived, It>::step_impl(param& p, It& pos) const {
    if (!static_cast<const Derived*>(this)->template match_this_impl<End>(p, pos)) return false;
    p.next = this->next_;
    return true;
}

// Where a group resumes when backtracking reaches it. A numbered group finds
// where it was entered in its record's iteration start, which everything
// after it has put back by then, and keeps the value that start had before.
template <class It>
struct alternative_choice {
    It position;                // numbered: the record's earlier iteration start; else where the group was entered
    std::uint32_t alternative;  // the alternative being tried
};

template <class It>
template <class End>
bool match_group<It>::step_impl(param& p, It& pos) const {
    if (!admits<End>(p, pos)) return false;
    if (number_ != no_group) {
        It& istart = p.records[number_].istart;
        push_choice(p, this, alternative_choice<It>{istart, 0});
        istart = pos;
    } else if (alternatives_.size() > 1) {
        push_choice(p, this, alternative_choice<It>{pos, 0});
    }
    p.next = alternatives_[0];
    return true;
}

template <class It>
template <class End>
bool match_group<It>::restep_impl(param& p, It& pos) const {
    alternative_choice<It>& choice = p.stack->template top_tagged<alternative_choice<It>>();
    if (++choice.alternative < alternatives_.size()) {
        pos = number_ != no_group ? p.records[number_].istart : choice.position;
        p.next = alternatives_[choice.alternative];
        return true;
    }
    if (number_ != no_group) p.records[number_].istart = choice.position;
    pop_choice<It, alternative_choice<It>>(p);
    return false;
}

// A record's span before end_group set it.
template <class It>
struct saved_span {
    It first;
    It second;
    bool matched;
};

template <class It>
template <class End>
bool end_group<It>::step_impl(param& p, It& pos) const {
    backref_tag<It>& record = p.records[number_];
    push_choice(p, this, saved_span<It>{record.first, record.second, record.matched});
    record.first = record.istart;
    record.second = pos;
    record.matched = true;
    p.next = this->next_;
    return true;
}

template <class It>
template <class End>
bool end_group<It>::restep_impl(param& p, It&) const {
    const saved_span<It> span = pop_choice<It, saved_span<It>>(p);
    backref_tag<It>& record = p.records[number_];
    record.first = span.first;
    record.second = span.second;
    record.matched = span.matched;
    return false;
}

template <class It>
template <class End>
bool independent_group<It>::step_impl(param& p, It& pos) const {
    enter_body(p, this, nested_, assertion_frame<It>{p.barrier, {}, pos, {}, {}, false});
    p.next = body_;
    return true;
}

template <class It>
template <class End>
bool independent_group<It>::body_stepped(param& p, It&) const {
    assertion_frame<It>* frame = p.barrier;
    p.stack->cut(frame->mark);
    frame->body_matched = true;
    p.barrier = frame->previous;
    p.next = this->next_;
    return true;
}

template <class It>
template <class End>
bool independent_group<It>::restep_impl(param& p, It&) const {
    leave_body(p, nested_);
    return false;
}

template <class It, bool Negative>
template <class End>
bool lookahead_assertion<It, Negative>::step_impl(param& p, It& pos) const {
    enter_body(p, this, nested_, assertion_frame<It>{p.barrier, {}, pos, {}, {}, false});
    p.next = body_;
    return true;
}

template <class It, bool Negative>
template <class End>
bool lookahead_assertion<It, Negative>::body_stepped(param& p, It& pos) const {
    assertion_frame<It>* frame = p.barrier;
    p.stack->cut(frame->mark);
    if constexpr (!Negative) {
        frame->body_matched = true;
        p.barrier = frame->previous;
        pos = frame->position;
        p.next = this->next_;
        return true;
    } else {
        pos = leave_body(p, nested_).position;
        p.next = else_;
        return else_ != nullptr;
    }
}

template <class It, bool Negative>
template <class End>
bool lookahead_assertion<It, Negative>::restep_impl(param& p, It& pos) const {
    const assertion_frame<It> frame = leave_body(p, nested_);
    // Positive, after the body matched: what followed failed, and the body is not re-entered.
    if (frame.body_matched) return false;
    pos = frame.position;
    p.next = Negative ? this->next_ : else_;
    return p.next != nullptr;
}

template <class It, bool Negative>
bool lookbehind_assertion<It, Negative>::exhausted(param& p, It& pos, It at) const {
    pos = at;
    p.next = Negative ? this->next_ : else_;
    return p.next != nullptr;
}

template <class It, bool Negative>
template <class End>
bool lookbehind_assertion<It, Negative>::step_impl(param& p, It& pos) const {
    It first;
    It last;
    if (!candidates(p, pos, first, last)) return exhausted(p, pos, pos);
    enter_body(p, this, nested_, assertion_frame<It>{p.barrier, {}, pos, first, last, false});
    pos = first;
    p.next = body_;
    return true;
}

template <class It, bool Negative>
template <class End>
bool lookbehind_assertion<It, Negative>::body_stepped(param& p, It& pos) const {
    assertion_frame<It>* frame = p.barrier;
    if (pos != frame->position) return false;  // the body must end exactly here; let it try otherwise
    p.stack->cut(frame->mark);
    if constexpr (!Negative) {
        frame->body_matched = true;
        p.barrier = frame->previous;
        p.next = this->next_;
        return true;
    } else {
        leave_body(p, nested_);
        p.next = else_;
        return else_ != nullptr;
    }
}

template <class It, bool Negative>
template <class End>
bool lookbehind_assertion<It, Negative>::restep_impl(param& p, It& pos) const {
    assertion_frame<It> frame = pop_choice<It, assertion_frame<It>>(p);
    std::size_t count = 0;
    restore_records(p, nested_, p.stack->template top_array<backref_tag<It>>(count));
    // A condition is decided by the first start where the body matches, and
    // so is an assertion whose body records nothing (see the recursive engine).
    const bool decided = frame.body_matched && (else_ != nullptr || nested_.count == 0);
    if (!decided && frame.candidate != frame.last_candidate) {
        ++frame.candidate;
        frame.body_matched = false;
        assertion_frame<It>* f = push_choice(p, this, frame);
        f->mark = p.stack->mark();
        p.barrier = f;
        pos = frame.candidate;
        p.next = body_;
        return true;
    }
    drop_records(p);
    p.barrier = frame.previous;
    if (decided) return false;
    return exhausted(p, pos, frame.position);
}

// A record's iteration start before a conditional set it.
template <class It>
struct saved_istart {
    It istart;
};

template <class It>
template <class End>
bool match_conditional<It>::step_impl(param& p, It& pos) const {
    backref_tag<It>& record = p.records[number_];
    push_choice(p, this, saved_istart<It>{record.istart});
    record.istart = pos;
    p.next = assertion_ != nullptr ? assertion_ : branch(p);
    return true;
}

template <class It>
template <class End>
bool match_conditional<It>::restep_impl(param& p, It&) const {
    p.records[number_].istart = pop_choice<It, saved_istart<It>>(p).istart;
    return false;
}

template <class It>
template <class End>
bool match_recurse<It>::step_impl(param& p, It& pos) const {
    if (p.recursion != nullptr && p.recursion->start == pos) return false;
    backref_tag<It>* saved = p.stack->push_array(p.records, p.record_count);
    p.recursion = push_choice(p, this, recursion_frame<It>{p.recursion, this, pos, saved});
    p.next = p.top;
    return true;
}

template <class It>
template <class End>
bool match_recurse<It>::restep_impl(param& p, It&) const {
    p.recursion = pop_choice<It, recursion_frame<It>>(p).previous;
    drop_records(p);
    return false;
}

// The recursion that end_of_pattern returned from.
template <class It>
struct returned_recursion {
    recursion_frame<It>* frame;
};

template <class It>
template <class End>
bool end_of_pattern<It>::step_impl(param& p, It& pos) const {
    if (recursion_frame<It>* frame = p.recursion) {
        std::swap_ranges(p.records, p.records + p.record_count, frame->saved);
        push_choice(p, this, returned_recursion<It>{frame});
        p.recursion = frame->previous;
        p.next = frame->caller->next();
        return true;
    }
    if (p.no_empty_at_start && pos == p.attempt_start && pos == p.istart) return false;
    p.next = nullptr;
    return true;
}

template <class It>
template <class End>
bool end_of_pattern<It>::restep_impl(param& p, It&) const {
    recursion_frame<It>* frame = pop_choice<It, returned_recursion<It>>(p).frame;
    std::swap_ranges(p.records, p.records + p.record_count, frame->saved);
    p.recursion = frame;
    return false;
}

template <class It, class Atom, bool Greedy>
template <class End>
bool atom_quantifier<It, Atom, Greedy>::resume(param& p, It& pos, const backoff& b) const {
    // A group's record changes even when no other count is left to try.
    const bool more = Greedy ? b.count > q_.min && b.width > 0 : b.count < q_.max;
    if (more || records_group) push_choice(p, this, b);
    record(p, b);
    pos = b.end;
    p.next = this->next_;
    return true;
}

template <class It, class Atom, bool Greedy>
template <class End>
bool atom_quantifier<It, Atom, Greedy>::step_impl(param& p, It& pos) const {
    backoff b;
    if (!start<End>(p, pos, b)) return false;
    while (!may_continue<End>(p, b.end))
        if (!advance<End>(p, b)) return false;
    return resume<End>(p, pos, b);
}

template <class It, class Atom, bool Greedy>
template <class End>
bool atom_quantifier<It, Atom, Greedy>::restep_impl(param& p, It& pos) const {
    backoff b = pop_choice<It, backoff>(p);
    do {
        if (!advance<End>(p, b)) {
            if constexpr (records_group) p.records[atom_->number()] = b.before;
            return false;
        }
    } while (!may_continue<End>(p, b.end));
    return resume<End>(p, pos, b);
}

// Where a group quantifier resumes: whether it last entered the group or
// went on, and what to put back when its choices run out. On entry that is
// the loop's whole state as an enclosing loop left it; at the end of an
// iteration only the start that the shift dropped, since the rest follows
// from the record as it stands when the choice is taken back.
template <class It>
struct loop_entry {
    loop_state<It> saved;
    bool iterating;
};

template <class It>
struct loop_turn {
    It earlier_start;
    bool earlier_valid;
    bool iterating;
};

template <class It>
void restore_loop(backref_tag<It>& record, const loop_entry<It>& choice) {
    choice.saved.restore(record);
}

template <class It>
void restore_loop(backref_tag<It>& record, const loop_turn<It>& choice) {
    record.current_start = record.earlier_start;
    record.current_valid = true;
    record.earlier_start = choice.earlier_start;
    record.earlier_valid = choice.earlier_valid;
}

template <class It, bool Greedy>
template <class End, class Choice>
void group_quantifier<It, Greedy>::step_iterate(param& p, const sub_expr<It>* owner, Choice choice) const {
    std::uint32_t& count = p.records[record_].iteration_count;
    choice.iterating = count < (Greedy ? q_.max : q_.min);
    push_choice(p, owner, choice);
    if (choice.iterating) ++count;
    p.next = choice.iterating ? entry_ : this->next_;
}

template <class It, bool Greedy>
template <class End, class Choice>
bool group_quantifier<It, Greedy>::restep_iterate(param& p, It& pos) const {
    Choice& choice = p.stack->template top_tagged<Choice>();
    backref_tag<It>& record = p.records[record_];
    if (choice.iterating) {
        --record.iteration_count;
        if (Greedy && record.iteration_count >= q_.min) {
            choice.iterating = false;
            pos = record.current_start;
            p.next = this->next_;
            return true;
        }
    } else if (!Greedy && record.iteration_count < q_.max) {
        ++record.iteration_count;
        choice.iterating = true;
        pos = record.current_start;
        p.next = entry_;
        return true;
    }
    note_failure(p, record.current_start, record.iteration_count);
    restore_loop(record, pop_choice<It, Choice>(p));
    return false;
}

template <class It, bool Greedy>
template <class End>
bool group_quantifier<It, Greedy>::step_impl(param& p, It& pos) const {
    if (known_to_fail(p, pos, 0)) return false;
    backref_tag<It>& record = p.records[record_];
    const loop_entry<It> choice{loop_state<It>::of(record), false};
    record.iteration_count = 0;
    record.earlier_valid = false;
    record.current_start = pos;
    record.current_valid = true;
    step_iterate<End>(p, this, choice);
    return true;
}

template <class It, bool Greedy>
template <class End>
bool group_quantifier<It, Greedy>::restep_impl(param& p, It& pos) const {
    return restep_iterate<End, loop_entry<It>>(p, pos);
}

template <class It, bool Greedy>
template <class End>
bool end_quantifier<It, Greedy>::step_impl(param& p, It& pos) const {
    backref_tag<It>& record = p.records[quantifier_->record()];
    if (quantifier_->ends_loop(record, pos)) {
        p.next = quantifier_->next();
        return true;
    }
    if (quantifier_->known_to_fail(p, pos, record.iteration_count)) return false;
    const loop_turn<It> choice{record.earlier_start, record.earlier_valid, false};
    record.earlier_start = record.current_start;
    record.earlier_valid = record.current_valid;
    record.current_start = pos;
    record.current_valid = true;
    quantifier_->template step_iterate<End>(p, this, choice);
    return true;
}

template <class It, bool Greedy>
template <class End>
bool end_quantifier<It, Greedy>::restep_impl(param& p, It& pos) const {
    return quantifier_->template restep_iterate<End, loop_turn<It>>(p, pos);
}

}  // namespace regex::detail
