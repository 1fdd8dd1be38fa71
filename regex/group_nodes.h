#pragma once
// Nodes that hold other chains: groups and their ends, atomic groups,
// look-arounds, conditionals, recursion into the pattern and the pattern's
// own end.

#include "regex/node_base.h"

namespace regex::detail {

template <class It>
class end_group;

// What the compiler learns about a group's contents when it closes.
struct group_contents {
    width_range width;               // over all alternatives
    bool simple = true;              // every alternative is a chain of simple nodes
    std::uint32_t first_nested = 0;  // first group number inside
    std::uint32_t nested_count = 0;  // how many groups inside
    // Nothing inside captures or reads a record (no capturing group,
    // backreference, condition or recursion): what the contents match
    // depends on the text and the position alone.
    bool self_contained = true;
};

// Alternatives that rejoin at end_. A numbered group records its span
// through its end_group; an unnumbered one is the body of a look-around,
// and its alternatives end in the look-around's own end node.
template <class It>
class match_group final : public node<match_group<It>, It> {
public:
    void describe(node_description<It>& out) const override;
    using param = match_param<It>;

    match_group(std::uint32_t number, arena_allocator& arena);  // numbered, with its end_group
    explicit match_group(const sub_expr<It>* body_end);         // unnumbered

    // Called once, when the closing parenthesis has been read. Each entry is
    // the first node of an alternative whose last node already leads to end().
    void close(span<const sub_expr<It>*> alternatives, const group_contents& contents);

    std::uint32_t number() const { return number_; }
    const sub_expr<It>* end() const { return end_; }
    std::uint32_t first_nested() const { return contents_.first_nested; }
    std::uint32_t nested_count() const { return contents_.nested_count; }
    bool self_contained() const { return contents_.self_contained; }
    std::size_t alternative_count() const { return alternatives_.size(); }
    span<const sub_expr<It>*> alternatives() const { return alternatives_; }

    template <class End>
    bool match_all_impl(param& p, It pos) const;
    template <class End>
    bool step_impl(param& p, It& pos) const;
    template <class End>
    bool restep_impl(param& p, It& pos) const;
    // Only for groups whose alternatives are all simple: tries each alternative in turn.
    template <class End>
    bool match_this_impl(param& p, It& pos) const;

    void set_next(const sub_expr<It>* next) override;
    sub_expr<It>* quantify(const repeat_bounds& q, arena_allocator& arena) override;
    const match_group* as_group() const override { return this; }
    typename sub_expr<It>::mandatory_chain must_pass() const override {
        if (alternatives_.size() != 1) return {};
        return {alternatives_[0], end_};
    }
    width_range width() const override { return contents_.width; }
    bool first_chars(leading_chars& out) const override;

private:
    // Fails at once where no alternative could begin.
    template <class End>
    bool admits(param& p, It pos) const {
        return !has_firsts_ || (!End::at_end(p, pos) && firsts_.test(static_cast<unsigned char>(*pos)));
    }

    std::uint32_t number_;                             // the record, or no_group
    end_group<It>* closer_ = nullptr;                  // numbered: records the span, then goes on
    const sub_expr<It>* end_;                          // where every alternative ends: closer_ or the body's end
    span<const sub_expr<It>*> alternatives_;           // first node of each alternative, in order
    char_table firsts_;                                // characters that can begin some alternative
    bool has_firsts_ = false;                          // every alternative could tell its first characters
    group_contents contents_;                          // as the compiler found them
};

// Records the span of a numbered group and goes on after the group.
template <class It>
class end_group final : public node<end_group<It>, It> {
public:
    void describe(node_description<It>& out) const override;
    using param = match_param<It>;
    explicit end_group(std::uint32_t number) : number_(number) {}

    template <class End>
    bool match_all_impl(param& p, It pos) const;
    template <class End>
    bool step_impl(param& p, It& pos) const;
    template <class End>
    bool restep_impl(param& p, It& pos) const;

private:
    std::uint32_t number_;  // the group's record
};

// The end of the body of Owner (atomic group, look-ahead, look-behind): asks
// the owner how the match goes on.
template <class It, class Owner>
class body_end final : public node<body_end<It, Owner>, It> {
public:
    void describe(node_description<It>& out) const override;
    using param = match_param<It>;
    explicit body_end(const Owner* owner) : owner_(owner) {}

    template <class End>
    bool match_all_impl(param& p, It pos) const {
        return owner_->template body_matched<End>(p, pos);
    }
    template <class End>
    bool step_impl(param& p, It& pos) const {
        return owner_->template body_stepped<End>(p, pos);
    }

private:
    const Owner* owner_;  // the construct whose body ends here
};

// Snapshot range of the records a body can change.
struct nested_groups {
    std::uint32_t first = 0;
    std::uint32_t count = 0;
};

// (?>...): the body matches once, as a separate match, and is never re-entered.
template <class It>
class independent_group final : public node<independent_group<It>, It> {
public:
    void describe(node_description<It>& out) const override;
    using param = match_param<It>;
    independent_group(match_group<It>* body, arena_allocator& arena);

    template <class End>
    bool match_all_impl(param& p, It pos) const;
    template <class End>
    bool step_impl(param& p, It& pos) const;
    template <class End>
    bool restep_impl(param& p, It& pos) const;
    template <class End>
    bool body_matched(param& p, It pos) const;
    template <class End>
    bool body_stepped(param& p, It& pos) const;

    std::uint32_t number() const { return body_->number(); }
    sub_expr<It>* quantify(const repeat_bounds& q, arena_allocator& arena) override;
    typename sub_expr<It>::mandatory_chain must_pass() const override { return {body_, body_->next()}; }
    width_range width() const override { return body_->width(); }
    bool first_chars(leading_chars& out) const override { return body_->first_chars(out); }

private:
    match_group<It>* body_;  // numbered, its end_group leading to end_
    nested_groups nested_;   // the body's own record and every record inside it
};

// What look-ahead and look-behind share, and what the compiler sets on them.
template <class It>
class lookaround_parts {
public:
    const sub_expr<It>* body_end_node() const { return end_; }
    void close(match_group<It>* body) {
        body_ = body;
        nested_ = {body->first_nested(), body->nested_count()};
    }
    // As the condition of a conditional the assertion goes on with the yes
    // branch (its successor) when it holds and with the no branch when it
    // does not, and is decided once: a failure after it never looks for
    // another way to satisfy it.
    void set_else(const sub_expr<It>* no) { else_ = no; }

protected:
    explicit lookaround_parts(const sub_expr<It>* end) : end_(end) {}

    match_group<It>* body_ = nullptr;     // unnumbered; its alternatives end in end_
    const sub_expr<It>* end_;             // the body's end node
    const sub_expr<It>* else_ = nullptr;  // as a condition: where to go when it does not hold
    nested_groups nested_;                // records the body can change
};

// Look-ahead, positive or Negative: the body as a separate match at the
// position, which does not move.
template <class It, bool Negative>
class lookahead_assertion final : public node<lookahead_assertion<It, Negative>, It>, public lookaround_parts<It> {
public:
    void describe(node_description<It>& out) const override;
    using param = match_param<It>;
    explicit lookahead_assertion(arena_allocator& arena);

    template <class End>
    bool match_all_impl(param& p, It pos) const;
    template <class End>
    bool step_impl(param& p, It& pos) const;
    template <class End>
    bool restep_impl(param& p, It& pos) const;
    template <class End>
    bool body_matched(param& p, It pos) const;
    template <class End>
    bool body_stepped(param& p, It& pos) const;

    bool is_assertion() const override { return true; }

private:
    using lookaround_parts<It>::body_;
    using lookaround_parts<It>::else_;
    using lookaround_parts<It>::nested_;
};

// Look-behind, positive or Negative: the body, tried from the farthest
// possible start first, must end exactly at the assertion's position.
template <class It, bool Negative>
class lookbehind_assertion final : public node<lookbehind_assertion<It, Negative>, It>, public lookaround_parts<It> {
public:
    void describe(node_description<It>& out) const override;
    using param = match_param<It>;
    explicit lookbehind_assertion(arena_allocator& arena);

    template <class End>
    bool match_all_impl(param& p, It pos) const;
    template <class End>
    bool step_impl(param& p, It& pos) const;
    template <class End>
    bool restep_impl(param& p, It& pos) const;
    template <class End>
    bool body_matched(param& p, It pos) const;
    template <class End>
    bool body_stepped(param& p, It& pos) const;

    bool is_assertion() const override { return true; }

private:
    using lookaround_parts<It>::body_;
    using lookaround_parts<It>::else_;
    using lookaround_parts<It>::nested_;

    // Where the body may start, farthest first; false when too little text precedes pos.
    bool candidates(const param& p, It pos, It& first, It& last) const;
    // No start is left: the assertion's outcome, iteratively.
    bool exhausted(param& p, It& pos, It at) const;
};

// (?(n)yes|no) and (?(?=...)yes|no). A missing no branch matches the empty
// string. The group condition is resolved to a record like a backreference.
template <class It>
class match_conditional final : public node<match_conditional<It>, It> {
public:
    void describe(node_description<It>& out) const override;
    using param = match_param<It>;
    match_conditional(std::uint32_t number, arena_allocator& arena);

    std::uint32_t number() const { return number_; }
    const sub_expr<It>* end() const { return end_; }
    // backref_condition: capture is the group number as written.
    void set_group_condition(std::uint32_t capture) { capture_ = capture; }
    std::uint32_t capture() const { return capture_; }
    void resolve(std::uint32_t group) { group_ = group; }
    // assertion_condition: the look-around goes on with one branch or the other itself.
    void set_assertion_condition(const sub_expr<It>* assertion) { assertion_ = assertion; }
    void close(const sub_expr<It>* yes, const sub_expr<It>* no, width_range width) {
        yes_ = yes;
        no_ = no;
        width_ = width;
    }

    template <class End>
    bool match_all_impl(param& p, It pos) const;
    template <class End>
    bool step_impl(param& p, It& pos) const;
    template <class End>
    bool restep_impl(param& p, It& pos) const;

    void set_next(const sub_expr<It>* next) override;
    sub_expr<It>* quantify(const repeat_bounds& q, arena_allocator& arena) override;
    width_range width() const override { return width_; }

private:
    // The branch a group condition picks.
    const sub_expr<It>* branch(const param& p) const { return p.records[group_].matched ? yes_ : no_; }

    std::uint32_t number_;                     // the conditional's own (invisible) record
    end_group<It>* end_;                       // its end_group
    std::uint32_t capture_ = no_group;         // group condition as written
    std::uint32_t group_ = no_group;           // group condition's record
    const sub_expr<It>* assertion_ = nullptr;  // assertion condition, or none
    const sub_expr<It>* yes_ = nullptr;        // first node of the yes branch
    const sub_expr<It>* no_ = nullptr;         // first node of the no branch, or end_
    width_range width_;                        // over both branches
};

// (?R): the whole pattern again, here; the match then goes on after the
// recursion with the records as they were before it (the inner ones are
// kept only for backtracking into the recursion).
template <class It>
class match_recurse final : public node<match_recurse<It>, It> {
public:
    void describe(node_description<It>& out) const override;
    using param = match_param<It>;

    template <class End>
    bool match_all_impl(param& p, It pos) const;
    template <class End>
    bool step_impl(param& p, It& pos) const;
    template <class End>
    bool restep_impl(param& p, It& pos) const;

    width_range width() const override { return {0, unbounded_width}; }
};

// The end of the chain. Inside a recursion it returns to the recursion's
// caller; otherwise the match is complete, unless it is empty where an empty
// match is not allowed.
template <class It>
class end_of_pattern final : public node<end_of_pattern<It>, It> {
public:
    void describe(node_description<It>& out) const override;
    using param = match_param<It>;

    template <class End>
    bool match_all_impl(param& p, It pos) const;
    template <class End>
    bool step_impl(param& p, It& pos) const;
    template <class End>
    bool restep_impl(param& p, It& pos) const;
};

template <class It>
match_group<It>::match_group(std::uint32_t number, arena_allocator& arena)
    : number_(number), closer_(arena.make<end_group<It>>(number)), end_(closer_) {}

template <class It>
match_group<It>::match_group(const sub_expr<It>* body_end) : number_(no_group), end_(body_end) {}

template <class It>
void match_group<It>::close(span<const sub_expr<It>*> alternatives, const group_contents& contents) {
    alternatives_ = alternatives;
    contents_ = contents;
    has_firsts_ = true;
    for (const sub_expr<It>* n : alternatives_) {
        // Zero-width assertions pass the question on to what follows them.
        while (n != end_ && n->is_assertion()) n = n->next();
        leading_chars leading;
        if (n == end_ || !n->first_chars(leading)) {
            has_firsts_ = false;
            return;
        }
        firsts_.merge(leading.chars);
    }
}

template <class It>
void match_group<It>::set_next(const sub_expr<It>* next) {
    this->next_ = next;
    if (closer_ != nullptr) closer_->set_next(next);
}

template <class It>
bool match_group<It>::first_chars(leading_chars& out) const {
    if (!has_firsts_) return false;
    out.chars.merge(firsts_);
    return true;
}

template <class It>
independent_group<It>::independent_group(match_group<It>* body, arena_allocator& arena)
    : body_(body), nested_{body->number(), body->nested_count() + 1} {
    body_->set_next(arena.make<body_end<It, independent_group>>(this));
}

template <class It, bool Negative>
lookahead_assertion<It, Negative>::lookahead_assertion(arena_allocator& arena)
    : lookaround_parts<It>(arena.make<body_end<It, lookahead_assertion>>(this)) {}

template <class It, bool Negative>
lookbehind_assertion<It, Negative>::lookbehind_assertion(arena_allocator& arena)
    : lookaround_parts<It>(arena.make<body_end<It, lookbehind_assertion>>(this)) {}

template <class It, bool Negative>
bool lookbehind_assertion<It, Negative>::candidates(const param& p, It pos, It& first, It& last) const {
    const auto before = static_cast<std::size_t>(pos - p.ibegin);
    const width_range w = body_->width();
    if (before < w.min) return false;
    last = pos - static_cast<std::ptrdiff_t>(w.min);
    first = w.max >= before ? p.ibegin : pos - static_cast<std::ptrdiff_t>(w.max);
    return true;
}

template <class It>
match_conditional<It>::match_conditional(std::uint32_t number, arena_allocator& arena)
    : number_(number), end_(arena.make<end_group<It>>(number)) {}

template <class It>
void match_conditional<It>::set_next(const sub_expr<It>* next) {
    this->next_ = next;
    end_->set_next(next);
}

}  // namespace regex::detail
