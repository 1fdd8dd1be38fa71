#pragma once
// Repetition: what each kind of node becomes under a quantifier, and the
// nodes that repeat an atom or a group.

#include "regex/atom_nodes.h"
#include "regex/group_nodes.h"

namespace regex::detail {

// What a repetition can begin with: the repeated node's characters when it
// must match at least once, but never as a literal prefix, since the
// repetition runs on past it.
inline bool repeated_first_chars(const sub_expr_base& repeated, std::uint32_t min, leading_chars& out) {
    if (min == 0 || !repeated.first_chars(out)) return false;
    out.literal = {};
    return true;
}

// Where an atom quantifier stands: the repetitions taken and where they
// end. For a group atom it also keeps the group's record from before.
template <class It>
struct atom_backoff {
    It end;               // the position after the repetitions taken
    std::uint32_t count;  // repetitions taken
    std::size_t width;    // characters per repetition
};

template <class It>
struct group_atom_backoff {
    It end;
    std::uint32_t count;
    std::size_t width;
    backref_tag<It> before;
};

// Repetitions of an atom whose every repetition spans the same width (a
// backreference's width is fixed for the length of one quantifier), greedy
// or lazy. The count, not a stack of positions, says where to back off to,
// and counts that leave a character the successor cannot begin with are
// passed over without calling it. A group may be such an atom when all its
// alternatives are simple and of one fixed width; the quantifier then
// records the group's last repetition.
template <class It, class Atom, bool Greedy>
class atom_quantifier final : public node<atom_quantifier<It, Atom, Greedy>, It> {
public:
    using param = match_param<It>;
    atom_quantifier(const Atom* atom, const repeat_bounds& q) : atom_(atom), q_(q) {}

    void describe(node_description<It>& out) const override;

    template <class End>
    bool match_all_impl(param& p, It pos) const;
    template <class End>
    bool step_impl(param& p, It& pos) const;
    template <class End>
    bool restep_impl(param& p, It& pos) const;
    // Simple itself when the count is fixed: exactly that many repetitions.
    template <class End>
    bool match_this_impl(param& p, It& pos) const;

    void set_next(const sub_expr<It>* next) override {
        this->next_ = next;
        leading_chars follow;
        can_follow_ = !next->is_assertion() && next->first_chars(follow);
        follow_ = follow.chars;
    }
    width_range width() const override { return q_.scale(atom_->width()); }
    bool first_chars(leading_chars& out) const override { return repeated_first_chars(*atom_, q_.min, out); }
    // An atom has no successor of its own: its chain ends after it.
    typename sub_expr<It>::mandatory_chain must_pass() const override {
        if (q_.min == 0) return {};
        return {atom_, nullptr};
    }
    bool repeats_one_char(char_table& chars) const override {
        return q_.max == repeat_bounds::unbounded && atom_->matches_one_char(chars);
    }

private:
    static constexpr bool records_group = std::is_same_v<Atom, match_group<It>>;
    using backoff = std::conditional_t<records_group, group_atom_backoff<It>, atom_backoff<It>>;

    // Takes as many repetitions as the quantifier prefers to start with: the
    // most it can (greedy) or the fewest it must (lazy). False when fewer
    // than the minimum match.
    template <class End>
    bool start(param& p, It pos, backoff& b) const;
    // Moves to the next count in the quantifier's order of preference.
    template <class End>
    bool advance(param& p, backoff& b) const;
    // Whether the successor can begin at pos.
    template <class End>
    bool may_continue(const param& p, It pos) const {
        return !can_follow_ || (!End::at_end(p, pos) && follow_.test(static_cast<unsigned char>(*pos)));
    }
    // The group's record set to the repetition that ends at b.end (none when the count is 0).
    void record(param& p, const backoff& b) const;
    // Iteratively: goes on with the successor from b, leaving b for backtracking.
    template <class End>
    bool resume(param& p, It& pos, const backoff& b) const;

    const Atom* atom_;         // what repeats
    repeat_bounds q_;        // how often
    char_table follow_;        // what can begin the successor, when can_follow_
    bool can_follow_ = false;  // the successor could tell its first characters
};

template <class It, class Atom>
using max_atom_quantifier = atom_quantifier<It, Atom, true>;
template <class It, class Atom>
using min_atom_quantifier = atom_quantifier<It, Atom, false>;

template <class It, bool Greedy>
class end_quantifier;

// Repetitions of a group of any kind, greedy or lazy. The group's record
// keeps the count and the starts of the last two iterations: an iteration
// that ends where the one before it began has consumed nothing twice over,
// and the loop stops there.
//
// An unbounded loop over self-contained contents also stops after a single
// iteration that consumed nothing, once it has its minimum. Another
// iteration from there would only reach what the contents already tried or
// will try from the same position, with the same records; following each
// such path as well doubles the work with every position, as (a|)*c shows.
//
// Such a loop outside every group and assertion can also remember the
// positions from which iterating (with its minimum behind it) failed: when
// nothing reads a record, that depends on the position alone, so later
// attempts at other starts skip it, and (a|)*c stays linear in the text.
template <class It, bool Greedy>
class group_quantifier final : public node<group_quantifier<It, Greedy>, It> {
public:
    void describe(node_description<It>& out) const override;
    using param = match_param<It>;
    // entry is the group node and record its record; the entry's successor
    // becomes this quantifier's end node. self_contained: see group_contents.
    group_quantifier(sub_expr<It>* entry, std::uint32_t record, const repeat_bounds& q, bool self_contained,
                     arena_allocator& arena);

    template <class End>
    bool match_all_impl(param& p, It pos) const;
    template <class End>
    bool step_impl(param& p, It& pos) const;
    template <class End>
    bool restep_impl(param& p, It& pos) const;

    // Another iteration or the successor, in the order the quantifier
    // prefers them; shared with the end node.
    template <class End>
    bool iterate(param& p, It pos) const;
    // Iteratively: pushes choice, owned by owner (this or the end node), and
    // goes on; takes a choice of type Choice back.
    template <class End, class Choice>
    void step_iterate(param& p, const sub_expr<It>* owner, Choice choice) const;
    template <class End, class Choice>
    bool restep_iterate(param& p, It& pos) const;

    std::uint32_t record() const { return record_; }
    bool take_memo() override {
        memo_ = stops_after_empty_;
        return memo_;
    }
    // Whether iterating from pos, count iterations done, is known to fail.
    bool known_to_fail(const param& p, It pos, std::uint32_t count) const {
        const loop_memo* memo = memo_at(p, count);
        return memo != nullptr && memo->failed(static_cast<std::size_t>(pos - p.ibegin));
    }
    // Remembers that iterating from pos failed.
    void note_failure(param& p, It pos, std::uint32_t count) const {
        // Refusing an empty match at the search's start is a rule of one search only.
        if (loop_memo* memo = memo_at(p, count); memo != nullptr && !p.no_empty_at_start)
            memo->note(static_cast<std::size_t>(pos - p.ibegin));
    }
    // Whether the iteration that ends at pos is the last one (see above).
    bool ends_loop(const backref_tag<It>& record, It pos) const {
        if (record.earlier_valid && record.earlier_start == pos) return true;
        return stops_after_empty_ && pos == record.current_start && record.iteration_count >= q_.min;
    }
    width_range width() const override { return q_.scale(entry_->width()); }
    bool first_chars(leading_chars& out) const override { return repeated_first_chars(*entry_, q_.min, out); }
    // The entry node leads to the end node, where the first repetition ends.
    typename sub_expr<It>::mandatory_chain must_pass() const override {
        if (q_.min == 0) return {};
        return {entry_, entry_->next()};
    }

private:
    // Only with the minimum behind it does iterating depend on the position alone.
    loop_memo* memo_at(const param& p, std::uint32_t count) const {
        return memo_ && count >= q_.min ? p.memo : nullptr;
    }
    template <class End>
    bool iterate_once(param& p, It pos) const;

    const sub_expr<It>* entry_;  // the group
    std::uint32_t record_;       // its record
    repeat_bounds q_;          // how often
    bool stops_after_empty_;     // unbounded, over self-contained contents
    bool memo_ = false;          // the search remembers where iterating failed
};

template <class It>
using max_group_quantifier = group_quantifier<It, true>;
template <class It>
using min_group_quantifier = group_quantifier<It, false>;

template <class It, bool Greedy>
class end_quantifier final : public node<end_quantifier<It, Greedy>, It> {
public:
    void describe(node_description<It>& out) const override;
    using param = match_param<It>;
    explicit end_quantifier(const group_quantifier<It, Greedy>* quantifier) : quantifier_(quantifier) {}

    template <class End>
    bool match_all_impl(param& p, It pos) const;
    template <class End>
    bool step_impl(param& p, It& pos) const;
    template <class End>
    bool restep_impl(param& p, It& pos) const;

private:
    const group_quantifier<It, Greedy>* quantifier_;  // the loop this node closes
};

template <class Derived, class It>
sub_expr<It>* atom_node<Derived, It>::quantify(const repeat_bounds& q, arena_allocator& arena) {
    const auto* atom = static_cast<const Derived*>(this);
    if (q.greedy) return arena.make<max_atom_quantifier<It, Derived>>(atom, q);
    return arena.make<min_atom_quantifier<It, Derived>>(atom, q);
}

template <class It>
sub_expr<It>* match_group<It>::quantify(const repeat_bounds& q, arena_allocator& arena) {
    // Alternatives that each match one way and all span the same width make
    // the group an atom: no bookkeeping per iteration, and no recursion.
    const width_range& width = contents_.width;
    if (contents_.simple && width.fixed() && width.max > 0) {
        if (q.greedy) return arena.make<max_atom_quantifier<It, match_group>>(this, q);
        return arena.make<min_atom_quantifier<It, match_group>>(this, q);
    }
    if (q.greedy) return arena.make<max_group_quantifier<It>>(this, number_, q, contents_.self_contained, arena);
    return arena.make<min_group_quantifier<It>>(this, number_, q, contents_.self_contained, arena);
}

template <class It>
sub_expr<It>* independent_group<It>::quantify(const repeat_bounds& q, arena_allocator& arena) {
    if (q.greedy) return arena.make<max_group_quantifier<It>>(this, number(), q, body_->self_contained(), arena);
    return arena.make<min_group_quantifier<It>>(this, number(), q, body_->self_contained(), arena);
}

template <class It>
sub_expr<It>* match_conditional<It>::quantify(const repeat_bounds& q, arena_allocator& arena) {
    // A condition reads a record.
    if (q.greedy) return arena.make<max_group_quantifier<It>>(this, number_, q, false, arena);
    return arena.make<min_group_quantifier<It>>(this, number_, q, false, arena);
}

template <class It, bool Greedy>
group_quantifier<It, Greedy>::group_quantifier(sub_expr<It>* entry, std::uint32_t record, const repeat_bounds& q,
                                               bool self_contained, arena_allocator& arena)
    : entry_(entry), record_(record), q_(q), stops_after_empty_(self_contained && q.max == repeat_bounds::unbounded) {
    entry->set_next(arena.make<end_quantifier<It, Greedy>>(this));
}


template <class It, class Atom, bool Greedy>
template <class End>
bool atom_quantifier<It, Atom, Greedy>::start(param& p, It pos, backoff& b) const {
    b.end = pos;
    b.count = 0;
    b.width = 0;
    if constexpr (records_group) b.before = p.records[atom_->number()];
    if constexpr (Greedy) {
        if (q_.max == 0 || !atom_->template match_this_impl<End>(p, b.end)) return q_.min == 0;
        b.width = static_cast<std::size_t>(b.end - pos);
        b.count = 1;
        if (b.width == 0) {
            // An empty repetition repeats as often as asked without moving: one try of the successor.
            b.count = std::max(q_.min, std::uint32_t{1});
            return true;
        }
        while (b.count < q_.max && atom_->template match_this_impl<End>(p, b.end)) ++b.count;
        p.guard->on_repetitions(b.count);
        return b.count >= q_.min;
    } else {
        for (; b.count < q_.min; ++b.count) {
            const It from = b.end;
            if (!atom_->template match_this_impl<End>(p, b.end)) return false;
            b.width = static_cast<std::size_t>(b.end - from);
        }
        return true;
    }
}

template <class It, class Atom, bool Greedy>
template <class End>
bool atom_quantifier<It, Atom, Greedy>::advance(param& p, backoff& b) const {
    if constexpr (Greedy) {
        if (b.count <= q_.min || b.width == 0) return false;
        --b.count;
        b.end -= static_cast<std::ptrdiff_t>(b.width);
        return true;
    } else {
        if (b.count >= q_.max) return false;
        p.guard->on_repetitions(1);
        const It from = b.end;
        if (!atom_->template match_this_impl<End>(p, b.end) || b.end == from) return false;
        b.width = static_cast<std::size_t>(b.end - from);
        ++b.count;
        return true;
    }
}

template <class It, class Atom, bool Greedy>
void atom_quantifier<It, Atom, Greedy>::record(param& p, const backoff& b) const {
    if constexpr (records_group) {
        backref_tag<It>& group = p.records[atom_->number()];
        group = b.before;
        if (b.count > 0) {
            group.first = b.end - static_cast<std::ptrdiff_t>(b.width);
            group.second = b.end;
            group.matched = true;
        }
    }
}

template <class It, class Atom, bool Greedy>
template <class End>
bool atom_quantifier<It, Atom, Greedy>::match_this_impl(param& p, It& pos) const {
    for (std::uint32_t count = 0; count < q_.min; ++count)
        if (!atom_->template match_this_impl<End>(p, pos)) return false;
    return true;
}

}  // namespace regex::detail
