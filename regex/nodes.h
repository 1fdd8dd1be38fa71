#pragma once
// The nodes of a compiled pattern.
//
// A pattern is a chain of nodes: each matches itself at a position and hands
// over to its successor (next_). A group fans out into alternatives that
// rejoin at its end node; end_of_pattern closes the chain. Both engines walk
// the same nodes:
//   - the recursive engine through match_all: a node calls its successor and,
//     when that fails, undoes what it changed and tries its next choice;
//   - the iterative engine through step and restep: a node that leaves a
//     choice or a change behind pushes it on the stack, and restep, called
//     when the matcher backtracks to it, undoes it or takes the next choice.
// Invariant of both: a node that fails (or, iteratively, is backtracked past)
// leaves the group records exactly as it found them. A match that succeeds
// keeps them: they are the result.
//
// Every node is written once. The engine members are templates over the kind
// of text (End: bounded or NUL-terminated), defined in recursive_engine.h and
// iterative_engine.h; the class template `node` maps the virtual slots onto
// them. Everything else here serves the compiler: widths, first characters,
// quantifying and linking.

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <string>
#include <type_traits>
#include <vector>

#include "regex/arena_allocator.h"
#include "regex/charset.h"
#include "regex/match_param.h"
#include "regex/node_support.h"

namespace regex::detail {

inline constexpr std::uint32_t no_group = 0xFFFFFFFFu;

template <class It>
class sub_expr;

// How a node shows itself in a dump: its text, and the chains nested in it,
// each from its first node up to (not including) its end.
template <class It>
struct node_description {
    struct chain {
        const sub_expr<It>* head;
        const sub_expr<It>* end;
    };
    std::string text;
    std::vector<chain> chains;
};

class sub_expr_base {
public:
    virtual ~sub_expr_base() = default;
    // Zero-width assertions are never quantified, and pass the first-character
    // question on to their successor.
    virtual bool is_assertion() const { return false; }
    virtual width_range width() const { return {0, 0}; }
    // False when the node cannot tell which characters begin it.
    virtual bool first_chars(leading_chars&) const { return false; }
    // True for a node that matches one character of a set, which chars then
    // receives exactly.
    virtual bool matches_one_char(char_table& chars) const {
        static_cast<void>(chars);
        return false;
    }
    // True for a repetition of such a node with no upper bound, and chars
    // receives the set it repeats.
    virtual bool repeats_one_char(char_table& chars) const {
        static_cast<void>(chars);
        return false;
    }
};

template <class It>
class match_group;

template <class It>
class sub_expr : public sub_expr_base {
public:
    using param = match_param<It>;

    // This node as a group of alternatives, or nullptr: a question the
    // compiler asks per call, cheaper than a dynamic_cast, which compares
    // type names on Windows.
    virtual const match_group<It>* as_group() const { return nullptr; }

    // Recursive engine: this node and the whole rest of the pattern.
    virtual bool match_all_bounded(param& p, It pos) const = 0;
    virtual bool match_all_cstring(param& p, It pos) const = 0;
    // Iterative engine: one step forward (sets p.next), and one step back.
    virtual bool step_bounded(param& p, It& pos) const = 0;
    virtual bool step_cstring(param& p, It& pos) const = 0;
    virtual bool restep_bounded(param& p, It& pos) const = 0;
    virtual bool restep_cstring(param& p, It& pos) const = 0;
    // The node that repeats this one; only atoms and groups have one.
    virtual sub_expr* quantify(const repeat_bounds&, arena_allocator&) { return nullptr; }
    // This node alone, advancing pos. Asked only of nodes that can match a
    // position in at most one way (see compiler.h, "simple").
    virtual bool match_this_bounded(param& p, It& pos) const = 0;
    virtual bool match_this_cstring(param& p, It& pos) const = 0;

    // The chain every match of this node runs through from the node's own
    // start: the only alternative of a group, the first repetition of a
    // quantifier that repeats at least once. head is none when there is no
    // such chain; the chain ends where it reaches end.
    struct mandatory_chain {
        const sub_expr* head = nullptr;
        const sub_expr* end = nullptr;
    };
    virtual mandatory_chain must_pass() const { return {}; }

    // Where the match goes on after this node. A group passes it on to its end.
    virtual void set_next(const sub_expr* next) { next_ = next; }
    virtual void describe(node_description<It>& out) const = 0;
    const sub_expr* next() const { return next_; }

    template <class End>
    bool match_all(param& p, It pos) const {
        if constexpr (End::bounded) return match_all_bounded(p, pos);
        else return match_all_cstring(p, pos);
    }
    template <class End>
    bool step(param& p, It& pos) const {
        if constexpr (End::bounded) return step_bounded(p, pos);
        else return step_cstring(p, pos);
    }
    template <class End>
    bool restep(param& p, It& pos) const {
        if constexpr (End::bounded) return restep_bounded(p, pos);
        else return restep_cstring(p, pos);
    }
    template <class End>
    bool match_this(param& p, It& pos) const {
        if constexpr (End::bounded) return match_this_bounded(p, pos);
        else return match_this_cstring(p, pos);
    }

protected:
    const sub_expr* next_ = nullptr;  // the successor
};

// Maps the virtual slots onto Derived's engine templates. Defaults: nothing
// to take back on backtracking, and "match this" succeeds without moving.
template <class Derived, class It>
class node : public sub_expr<It> {
public:
    using param = match_param<It>;

    bool match_all_bounded(param& p, It pos) const final {
        return self().template match_all_impl<bounded_text<It>>(p, pos);
    }
    bool match_all_cstring(param& p, It pos) const final {
        return self().template match_all_impl<cstring_text<It>>(p, pos);
    }
    bool step_bounded(param& p, It& pos) const final { return self().template step_impl<bounded_text<It>>(p, pos); }
    bool step_cstring(param& p, It& pos) const final { return self().template step_impl<cstring_text<It>>(p, pos); }
    bool restep_bounded(param& p, It& pos) const final {
        return self().template restep_impl<bounded_text<It>>(p, pos);
    }
    bool restep_cstring(param& p, It& pos) const final {
        return self().template restep_impl<cstring_text<It>>(p, pos);
    }
    bool match_this_bounded(param& p, It& pos) const final {
        return self().template match_this_impl<bounded_text<It>>(p, pos);
    }
    bool match_this_cstring(param& p, It& pos) const final {
        return self().template match_this_impl<cstring_text<It>>(p, pos);
    }

    template <class End>
    bool restep_impl(param&, It&) const { return false; }
    template <class End>
    bool match_this_impl(param&, It&) const { return true; }

private:
    const Derived& self() const { return static_cast<const Derived&>(*this); }
};

template <class It, class Atom, bool Greedy>
class atom_quantifier;

// A node that matches a position in at most one way: characters, sets,
// backreferences and the simple assertions. match_all and step are "match
// this, then the successor".
template <class Derived, class It>
class simple_node : public node<Derived, It> {
public:
    using param = match_param<It>;

    template <class End>
    bool match_all_impl(param& p, It pos) const;
    template <class End>
    bool step_impl(param& p, It& pos) const;
};

// A simple node that can be repeated: quantifying wraps Derived in an atom quantifier.
template <class Derived, class It>
class atom_node : public simple_node<Derived, It> {
public:
    sub_expr<It>* quantify(const repeat_bounds& q, arena_allocator& arena) override;
};

// An atom that matches one character of a set its first characters name exactly.
template <class Derived, class It>
class one_char_atom : public atom_node<Derived, It> {
public:
    bool matches_one_char(char_table& chars) const override {
        leading_chars first;
        this->first_chars(first);
        chars = first.chars;
        return true;
    }
};

// ---------------------------------------------------------------- atoms

// One character; with ignore-case either of its two cases.
template <class It>
class match_char_t final : public one_char_atom<match_char_t<It>, It> {
public:
    void describe(node_description<It>& out) const override;
    match_char_t(char c, bool ignore_case);

    template <class End>
    bool match_this_impl(match_param<It>& p, It& pos) const {
        if (End::at_end(p, pos) || (*pos != one_ && *pos != other_)) return false;
        ++pos;
        return true;
    }

    width_range width() const override { return {1, 1}; }
    bool first_chars(leading_chars& out) const override;

private:
    char one_;    // the character as written
    char other_;  // its other case under ignore-case, else the same character
    bool nocase_; // compares without regard to case
};

// A literal string; the nocase variant compares each character with both of
// its cases, worked out once when the pattern is compiled.
template <class It, bool Nocase>
class basic_match_literal final : public atom_node<basic_match_literal<It, Nocase>, It> {
public:
    void describe(node_description<It>& out) const override;
    explicit basic_match_literal(std::string text);

    template <class End>
    bool match_this_impl(match_param<It>& p, It& pos) const;

    width_range width() const override { return {text_.size(), text_.size()}; }
    bool first_chars(leading_chars& out) const override;

private:
    std::string text_;   // as written (nocase: in lower case)
    std::string other_;  // nocase: in upper case; else empty
};

template <class It>
using match_literal_t = basic_match_literal<It, false>;
template <class It>
using match_literal_nocase_t = basic_match_literal<It, true>;

// One character of a set. Case-insensitivity is folded into the set when it
// is built, so one node serves both. The set is shared or lives in the arena.
template <class It>
class match_charset_t final : public one_char_atom<match_charset_t<It>, It> {
public:
    void describe(node_description<It>& out) const override;
    explicit match_charset_t(const basic_charset& set) : set_(set) {}

    template <class End>
    bool match_this_impl(match_param<It>& p, It& pos) const {
        if (End::at_end(p, pos) || !set_.contains(static_cast<unsigned char>(*pos))) return false;
        ++pos;
        return true;
    }

    width_range width() const override { return {1, 1}; }
    bool first_chars(leading_chars& out) const override;

private:
    const basic_charset& set_;  // the set; owned by the arena or shared
};

// Any character (eos_t), or any but a line feed (eol_t).
struct eol_t {};
struct eos_t {};

template <class It, class Kind>
class match_any_t final : public one_char_atom<match_any_t<It, Kind>, It> {
public:
    void describe(node_description<It>& out) const override;
    template <class End>
    bool match_this_impl(match_param<It>& p, It& pos) const {
        if (End::at_end(p, pos)) return false;
        if constexpr (std::is_same_v<Kind, eol_t>)
            if (*pos == '\n') return false;
        ++pos;
        return true;
    }

    width_range width() const override { return {1, 1}; }
    bool first_chars(leading_chars& out) const override;
};

// The current text of a capturing group, case-sensitively (ch_neq_t) or not
// (ch_neq_nocase_t). The group number is resolved once the whole pattern has
// been read, since a backreference may name a group that comes later.
struct ch_neq_t {};
struct ch_neq_nocase_t {};

template <class It, class Compare>
class match_backref_t final : public atom_node<match_backref_t<It, Compare>, It> {
public:
    void describe(node_description<It>& out) const override;
    match_backref_t(std::uint32_t capture, width_range width) : capture_(capture), width_(width) {}

    std::uint32_t capture() const { return capture_; }
    void resolve(std::uint32_t group) { group_ = group; }

    template <class End>
    bool match_this_impl(match_param<It>& p, It& pos) const;

    width_range width() const override { return width_; }

private:
    std::uint32_t capture_;          // the number as written: capturing groups only
    std::uint32_t group_ = no_group; // the record it reads
    width_range width_;              // that group's width, when known at the reference
};

// ---------------------------------------------------------------- assertions

enum class anchor { bos_t, bol_t, eos_t, eol_t, peos_t };

// \A and ^ (bos_t), ^ under flag_multiline (bol_t), \z (eos_t), $ under
// flag_multiline (eol_t), \Z and $ (peos_t). Only a line feed ends a line.
template <class It, anchor Kind>
class assert_op final : public simple_node<assert_op<It, Kind>, It> {
public:
    void describe(node_description<It>& out) const override;
    template <class End>
    bool match_this_impl(match_param<It>& p, It& pos) const;

    bool is_assertion() const override { return true; }
};

// \b (Boundary) and \B: whether exactly one of the characters before and at
// the position is a \w character; none lies before the text or at its end.
template <class It, bool Boundary>
class word_assertion_t final : public simple_node<word_assertion_t<It, Boundary>, It> {
public:
    void describe(node_description<It>& out) const override;
    template <class End>
    bool match_this_impl(match_param<It>& p, It& pos) const;

    bool is_assertion() const override { return true; }
};

// ---------------------------------------------------------------- groups

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

// ---------------------------------------------------------------- quantifiers

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
    const sub_expr<It>* entry_;  // the group
    std::uint32_t record_;       // its record
    repeat_bounds q_;          // how often
    bool stops_after_empty_;     // unbounded, over self-contained contents
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


// ---------------------------------------------------------------- definitions

template <class Derived, class It>
sub_expr<It>* atom_node<Derived, It>::quantify(const repeat_bounds& q, arena_allocator& arena) {
    const auto* atom = static_cast<const Derived*>(this);
    if (q.greedy) return arena.make<max_atom_quantifier<It, Derived>>(atom, q);
    return arena.make<min_atom_quantifier<It, Derived>>(atom, q);
}

template <class It>
match_char_t<It>::match_char_t(char c, bool ignore_case) : one_(c), other_(c) {
    if (ignore_case) {
        const auto u = static_cast<unsigned char>(c);
        other_ = static_cast<char>(to_lower(u) != u ? to_lower(u) : to_upper(u));
    }
    nocase_ = one_ != other_;
}

template <class It>
bool match_char_t<It>::first_chars(leading_chars& out) const {
    out.chars.set(static_cast<unsigned char>(one_));
    out.chars.set(static_cast<unsigned char>(other_));
    out.literal = std::string_view(&one_, 1);
    out.literal_nocase = nocase_;
    return true;
}

template <class It, bool Nocase>
basic_match_literal<It, Nocase>::basic_match_literal(std::string text) : text_(std::move(text)) {
    if constexpr (Nocase) {
        other_ = text_;
        for (char& c : text_) c = static_cast<char>(to_lower(static_cast<unsigned char>(c)));
        for (char& c : other_) c = static_cast<char>(to_upper(static_cast<unsigned char>(c)));
    }
}

template <class It, bool Nocase>
template <class End>
bool basic_match_literal<It, Nocase>::match_this_impl(match_param<It>& p, It& pos) const {
    const std::size_t n = text_.size();
    It at = pos;
    if constexpr (End::bounded)
        if (static_cast<std::size_t>(p.iend - pos) < n) return false;
    for (std::size_t i = 0; i < n; ++i, ++at) {
        if constexpr (!End::bounded)
            if (End::at_end(p, at)) return false;
        if constexpr (Nocase) {
            if (*at != text_[i] && *at != other_[i]) return false;
        } else {
            if (*at != text_[i]) return false;
        }
    }
    pos = at;
    return true;
}

template <class It, bool Nocase>
bool basic_match_literal<It, Nocase>::first_chars(leading_chars& out) const {
    out.chars.set(static_cast<unsigned char>(text_[0]));
    if constexpr (Nocase) out.chars.set(static_cast<unsigned char>(other_[0]));
    out.literal = text_;
    out.literal_nocase = Nocase;
    return true;
}

template <class It>
bool match_charset_t<It>::first_chars(leading_chars& out) const {
    set_.add_members(out.chars.bits);
    return true;
}

template <class It, class Kind>
bool match_any_t<It, Kind>::first_chars(leading_chars& out) const {
    for (unsigned c = 0; c < 256; ++c)
        if (!std::is_same_v<Kind, eol_t> || c != '\n') out.chars.set(static_cast<unsigned char>(c));
    return true;
}

template <class It, class Compare>
template <class End>
bool match_backref_t<It, Compare>::match_this_impl(match_param<It>& p, It& pos) const {
    const backref_tag<It>& group = p.records[group_];
    if (!group.matched) return false;
    It at = pos;
    if constexpr (End::bounded)
        if (p.iend - pos < group.second - group.first) return false;
    [[maybe_unused]] const unsigned char* lower = lower_case_table();
    for (It c = group.first; c != group.second; ++c, ++at) {
        if constexpr (!End::bounded)
            if (End::at_end(p, at)) return false;
        if constexpr (std::is_same_v<Compare, ch_neq_nocase_t>) {
            if (lower[static_cast<unsigned char>(*at)] != lower[static_cast<unsigned char>(*c)]) return false;
        } else {
            if (*at != *c) return false;
        }
    }
    pos = at;
    return true;
}

template <class It, anchor Kind>
template <class End>
bool assert_op<It, Kind>::match_this_impl(match_param<It>& p, It& pos) const {
    switch (Kind) {
        case anchor::bos_t:
            return pos == p.ibegin;
        case anchor::bol_t:
            return pos == p.ibegin || *(pos - 1) == '\n';
        case anchor::eos_t:
            return End::at_end(p, pos);
        case anchor::eol_t:
            return End::at_end(p, pos) || *pos == '\n';
        case anchor::peos_t:
            return End::at_end(p, pos) || (*pos == '\n' && End::at_end(p, pos + 1));
    }
    return false;
}

template <class It, bool Boundary>
template <class End>
bool word_assertion_t<It, Boundary>::match_this_impl(match_param<It>& p, It& pos) const {
    const charset& word = intrinsic_charsets<char>::intrinsic_charset('w');
    const bool before = pos != p.ibegin && word.contains(static_cast<unsigned char>(*(pos - 1)));
    const bool at = !End::at_end(p, pos) && word.contains(static_cast<unsigned char>(*pos));
    return (before != at) == Boundary;
}

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

template <class It>
sub_expr<It>* independent_group<It>::quantify(const repeat_bounds& q, arena_allocator& arena) {
    if (q.greedy) return arena.make<max_group_quantifier<It>>(this, number(), q, body_->self_contained(), arena);
    return arena.make<min_group_quantifier<It>>(this, number(), q, body_->self_contained(), arena);
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
