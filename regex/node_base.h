#pragma once
// The nodes of a compiled pattern: what every node is and does.
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
    // Makes this loop the one whose failures the search remembers, if it
    // is a loop that can; whether it is.
    virtual bool take_memo() { return false; }
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

}  // namespace regex::detail
