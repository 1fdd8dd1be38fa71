#pragma once
// The pattern compiler: tokens in, a chain of nodes out.
//
// One pass over the tokens with an explicit stack of open groups, so nesting
// costs heap, not call depth. Each open group collects its alternatives as
// chains of nodes (head, tail, width so far, whether every node is simple);
// ordinary characters gather into a pending literal run that is cut into a
// node when anything else arrives. After each atom the compiler looks for a
// quantifier; when one follows a literal run, the run's last character is
// split off to take it.
//
// Everything that depends on a group's contents is settled when its closing
// parenthesis is read, innermost first: the alternatives are linked to the
// group's end node, and the group learns its width, its first characters and
// whether it can repeat as an atom. A backreference takes the width of its
// group if that group has closed before the reference, else {0, unbounded};
// its group number is resolved once the whole pattern has been read, since
// it may name a group that opens later.
//
// A simple node matches a position in at most one way (characters, sets,
// backreferences, the simple assertions, and those atoms repeated a fixed
// number of times). A group whose alternatives are all simple and of one
// fixed width repeats as an atom.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory_resource>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "regex/bad_regexpr.h"
#include "regex/class_parser.h"
#include "regex/nodes.h"
#include "regex/search_planner.h"
#include "regex/syntax.h"

namespace regex::detail {

// What compiling a pattern leaves for the search.
template <class It>
struct compiled_pattern {
    const sub_expr<It>* top = nullptr;          // group 0
    std::uint32_t group_count = 0;              // every group, group 0 included
    std::uint32_t capture_count = 0;            // group 0 and the capturing groups
    std::vector<std::uint32_t> invisible_groups;  // non-capturing, atomic and conditional groups, ascending
    width_range width;                          // of group 0
    bool can_start_anywhere = true;             // false: only the first start position can match
    bool recursion_allowed = true;              // mode 2 may use the recursive engine
    bool memoised_loop = false;                 // a loop remembers where it failed (see take_memo)
    bool reads_records = false;                 // a backreference, condition or recursion reads a record
    RegexFlags flags = 0;                       // as given, less flag_rightmost for an anchored pattern
    search_plan plan;                           // where the search looks for matches
};

template <class It>
class compiler {
public:
    compiler(std::string_view pattern, RegexFlags flags, arena_allocator& arena)
        : syntax_(pattern, flags), flags_(flags), arena_(arena) {
        result_.flags = flags;
        // Enough for most patterns in one allocation each.
        constexpr std::size_t kUsual = 8;
        frames_.reserve(kUsual);
        finished_.reserve(kUsual);
        heads_.reserve(kUsual);
        groups_.reserve(kUsual);
        capture_groups_.reserve(kUsual);
    }

    compiled_pattern<It> compile();

private:
    using token_kind = perl_syntax::token_kind;
    using group_kind = perl_syntax::group_kind;

    struct chain {
        sub_expr<It>* head = nullptr;  // first node, none while empty
        sub_expr<It>* tail = nullptr;  // last node
        width_range width;             // sum over the nodes
        bool simple = true;            // every node is simple
        std::string run;               // ordinary characters not yet made into a node
        bool run_nocase = false;       // the run compares without regard to case
        leading_assertion opening = leading_assertion::none;  // what its first node is
    };

    enum class frame_kind { group, atomic, lookaround, conditional };

    struct open_group {
        frame_kind kind = frame_kind::group;
        RegexFlags outer_flags = 0;                   // restored at the closing parenthesis
        std::uint32_t first_nested = 0;               // the group counter when the group opened
        const sub_expr<It>* end = nullptr;            // where every alternative ends
        match_group<It>* group = nullptr;             // group and atomic: the numbered group; look-around: its body
        sub_expr<It>* construct = nullptr;            // look-around or conditional node
        lookaround_parts<It>* lookaround = nullptr;   // look-around: construct's shared parts;
                                                      // conditional: those of its condition
        sub_expr<It>* condition = nullptr;            // conditional: its look-around condition, if any
        bool is_condition = false;                    // look-around: the condition of the enclosing conditional
        bool self_contained = true;                   // nothing inside captures or reads a record so far
        std::size_t first_alternative = 0;            // where its finished alternatives begin in finished_
        chain current;                                // the alternative being read
    };

    // The alternatives of a group, linked to its end.
    struct linked_alternatives {
        span<const sub_expr<It>*> heads;  // first node of each, in the arena
        group_contents contents;          // what the compiler found in them
    };

    // What the first atom of the pattern was; decides the anchored shortcuts.
    enum class leading_token { other, text_begin, dot_star };

    void open(const perl_syntax::group_opening& opening);
    open_group& push_frame(frame_kind kind, RegexFlags inner_flags, const sub_expr<It>* end);
    void close();
    void finish_alternative(open_group& frame);
    linked_alternatives link_alternatives(open_group& frame);
    template <class Assertion>
    void open_lookaround(RegexFlags inner_flags);

    // Ordinary characters, one at a time: a quantifier after one splits it off the run.
    void add_character(unsigned char c);
    void flush_run(chain& c);
    // An atom, with a quantifier if one follows; returns the quantifier taken.
    std::optional<repeat_bounds> add_atom(sub_expr<It>* atom, bool simple, bool is_group);
    void append(chain& c, sub_expr<It>* n, width_range width, bool simple);
    sub_expr<It>* make_backref(std::uint32_t capture);
    sub_expr<It>* make_charset();
    sub_expr<It>* make_anchor(token_kind kind);
    std::uint32_t new_group(bool capturing);
    bool at_pattern_start() const;

    // The current group holds a backreference, condition or recursion.
    void reads_records();
    void resolve_references();
    std::uint32_t group_of_capture(std::uint32_t capture) const;
    void settle_search_shortcuts(const match_group<It>& group0);
    std::size_t alternatives_of(const open_group& frame) const { return finished_.size() - frame.first_alternative; }

    perl_syntax syntax_;
    RegexFlags flags_;                                     // the flags in force at the current token
    arena_allocator& arena_;                               // where every node is made
    // What the lists below hold for a typical pattern fits here, so that
    // compiling it takes nothing from the heap for them.
    std::byte scratch_[4096];
    std::pmr::monotonic_buffer_resource memory_{scratch_, sizeof scratch_};
    std::pmr::vector<open_group> frames_{&memory_};                  // the open groups, group 0 first
    std::pmr::vector<chain> finished_{&memory_};                     // the finished alternatives of every open group, in order
    std::pmr::vector<const sub_expr<It>*> heads_{&memory_};          // scratch: the heads of the group being closed
    std::pmr::vector<std::uint32_t> capture_groups_{&memory_};       // group number of each capturing group
    std::pmr::vector<std::optional<width_range>> groups_{&memory_};  // the width of each group, once it has closed
    std::pmr::vector<match_backref_t<It, ch_neq_t>*> backrefs_{&memory_};  // to resolve at the end
    std::pmr::vector<match_backref_t<It, ch_neq_nocase_t>*> nocase_backrefs_{&memory_};
    std::pmr::vector<match_conditional<It>*> group_conditions_{&memory_};
    leading_token leading_ = leading_token::other;
    bool pattern_reads_records_ = false;                   // see reads_records
    leading_assertion opening_ = leading_assertion::none;  // what every alternative of group 0 begins with
    compiled_pattern<It> result_;
};

template <class It>
compiled_pattern<It> compiler<It>::compile() {
    syntax_.skip_ignorable(flags_);
    if (!syntax_.at_end() && syntax_.pattern()[syntax_.position()] == '?')
        throw bad_regexpr("ill-formed regular expression");

    auto* group0 = arena_.make<match_group<It>>(new_group(true), arena_);
    push_frame(frame_kind::group, flags_, group0->end()).group = group0;

    for (;;) {
        const perl_syntax::token t = syntax_.next(flags_, result_.group_count);
        switch (t.kind) {
            case token_kind::end_of_pattern: {
                if (frames_.size() > 1) throw bad_regexpr("mismatched parenthesis");
                open_group& frame = frames_.back();
                finish_alternative(frame);
                opening_ = finished_.front().opening;
                for (const chain& c : finished_)
                    if (c.opening != opening_) opening_ = leading_assertion::none;
                linked_alternatives linked = link_alternatives(frame);
                const width_range width = linked.contents.width;
                group0->close(linked.heads, linked.contents);
                group0->set_next(arena_.make<end_of_pattern<It>>());
                resolve_references();
                result_.top = group0;
                result_.width = width;
                result_.capture_count = static_cast<std::uint32_t>(capture_groups_.size());
                settle_search_shortcuts(*group0);
                return std::move(result_);
            }
            case token_kind::character:
                add_character(t.ch);
                break;
            case token_kind::quotation:
                // Only the last quoted character can take a quantifier that follows \E.
                if (!t.text.empty()) {
                    chain& c = frames_.back().current;
                    c.run_nocase = (flags_ & flag_ignore_case) != 0;
                    c.run.append(t.text.substr(0, t.text.size() - 1));
                    add_character(static_cast<unsigned char>(t.text.back()));
                }
                break;
            case token_kind::group_open:
                flush_run(frames_.back().current);
                open(syntax_.read_group_opening(flags_));
                break;
            case token_kind::group_close:
                if (frames_.size() == 1) throw bad_regexpr("mismatched parenthesis");
                close();
                break;
            case token_kind::alternation: {
                open_group& frame = frames_.back();
                if (frame.kind == frame_kind::conditional && alternatives_of(frame) == 1)
                    throw bad_regexpr("Too many alternates in conditional subexpression");
                finish_alternative(frame);
                break;
            }
            case token_kind::caret:
            case token_kind::dollar:
            case token_kind::text_begin:
            case token_kind::text_end_or_final_newline:
            case token_kind::text_end:
            case token_kind::word_boundary:
            case token_kind::not_word_boundary: {
                if ((t.kind == token_kind::caret || t.kind == token_kind::text_begin) && at_pattern_start())
                    leading_ = leading_token::text_begin;
                chain& c = frames_.back().current;
                flush_run(c);
                if (c.head == nullptr && t.kind == token_kind::caret && (flags_ & flag_multiline))
                    c.opening = leading_assertion::line_start;
                if (c.head == nullptr && t.kind == token_kind::word_boundary) c.opening = leading_assertion::word_boundary;
                // Zero-width assertions take no quantifier.
                append(c, make_anchor(t.kind), {0, 0}, true);
                break;
            }
            case token_kind::dot: {
                const bool first = at_pattern_start();
                std::optional<repeat_bounds> q;
                if (flags_ & flag_single_line)
                    q = add_atom(arena_.make<match_any_t<It, eos_t>>(), true, false);
                else
                    q = add_atom(arena_.make<match_any_t<It, eol_t>>(), true, false);
                if (first && q && q->min <= 1 && q->max == repeat_bounds::unbounded) leading_ = leading_token::dot_star;
                break;
            }
            case token_kind::class_open:
                add_atom(make_charset(), true, false);
                break;
            case token_kind::escape_set:
                add_atom(arena_.make<match_charset_t<It>>(intrinsic_charsets<char>::intrinsic_charset(t.escape)), true,
                         false);
                break;
            case token_kind::backref:
                add_atom(make_backref(t.number), true, false);
                break;
            case token_kind::stray_quantifier:
                throw bad_regexpr("quantifier not expected");
        }
    }
}

template <class It>
std::uint32_t compiler<It>::new_group(bool capturing) {
    const std::uint32_t number = result_.group_count++;
    if (capturing)
        capture_groups_.push_back(number);
    else
        result_.invisible_groups.push_back(number);
    groups_.emplace_back();
    return number;
}

template <class It>
bool compiler<It>::at_pattern_start() const {
    const open_group& frame = frames_.back();
    return frames_.size() == 1 && alternatives_of(frame) == 0 && frame.current.head == nullptr &&
           frame.current.run.empty();
}

template <class It>
typename compiler<It>::open_group& compiler<It>::push_frame(frame_kind kind, RegexFlags inner_flags,
                                                           const sub_expr<It>* end) {
    open_group& frame = frames_.emplace_back();
    frame.first_alternative = finished_.size();
    frame.kind = kind;
    frame.outer_flags = flags_;
    frame.first_nested = result_.group_count;
    frame.end = end;
    flags_ = inner_flags;
    return frame;
}

template <class It>
void compiler<It>::open(const perl_syntax::group_opening& opening) {
    switch (opening.kind) {
        case group_kind::comment:
            return;
        case group_kind::recursion: {
            chain& c = frames_.back().current;
            append(c, arena_.make<match_recurse<It>>(), {0, unbounded_width}, false);
            result_.recursion_allowed = false;
            reads_records();
            return;
        }
        case group_kind::modifiers_only: {
            // An empty group: the modifiers end with it.
            auto* group = arena_.make<match_group<It>>(new_group(false), arena_);
            group_contents empty;
            empty.first_nested = result_.group_count;
            const sub_expr<It>* const only = group->end();
            group->close(arena_.copy(&only, 1), empty);
            groups_[group->number()] = empty.width;
            add_atom(group, false, true);
            return;
        }
        case group_kind::capturing:
        case group_kind::non_capturing: {
            if (opening.kind == group_kind::capturing) frames_.back().self_contained = false;
            auto* group = arena_.make<match_group<It>>(new_group(opening.kind == group_kind::capturing), arena_);
            push_frame(frame_kind::group, opening.flags, group->end()).group = group;
            return;
        }
        case group_kind::atomic: {
            auto* group = arena_.make<match_group<It>>(new_group(false), arena_);
            push_frame(frame_kind::atomic, opening.flags, group->end()).group = group;
            return;
        }
        case group_kind::conditional_on_group:
        case group_kind::conditional_on_assertion: {
            auto* conditional = arena_.make<match_conditional<It>>(new_group(false), arena_);
            push_frame(frame_kind::conditional, opening.flags, conditional->end()).construct = conditional;
            if (opening.kind == group_kind::conditional_on_group) {
                reads_records();
                conditional->set_group_condition(opening.number);
                group_conditions_.push_back(conditional);
                return;
            }
            perl_syntax::group_opening condition = opening;
            condition.kind = opening.assertion;
            open(condition);
            frames_.back().is_condition = true;
            return;
        }
        case group_kind::lookahead:
            open_lookaround<lookahead_assertion<It, false>>(opening.flags);
            return;
        case group_kind::negative_lookahead:
            open_lookaround<lookahead_assertion<It, true>>(opening.flags);
            return;
        case group_kind::lookbehind:
            open_lookaround<lookbehind_assertion<It, false>>(opening.flags);
            return;
        case group_kind::negative_lookbehind:
            open_lookaround<lookbehind_assertion<It, true>>(opening.flags);
            return;
    }
}

template <class It>
template <class Assertion>
void compiler<It>::open_lookaround(RegexFlags inner_flags) {
    auto* assertion = arena_.make<Assertion>(arena_);
    open_group& frame = push_frame(frame_kind::lookaround, inner_flags, assertion->body_end_node());
    frame.group = arena_.make<match_group<It>>(assertion->body_end_node());
    frame.construct = assertion;
    frame.lookaround = assertion;
}

template <class It>
void compiler<It>::finish_alternative(open_group& frame) {
    flush_run(frame.current);
    finished_.push_back(std::move(frame.current));
    frame.current = chain{};
}

template <class It>
typename compiler<It>::linked_alternatives compiler<It>::link_alternatives(open_group& frame) {
    linked_alternatives linked;
    group_contents& contents = linked.contents;
    contents.width = {unbounded_width, 0};
    heads_.clear();
    for (std::size_t i = frame.first_alternative; i < finished_.size(); ++i) {
        const chain& c = finished_[i];
        if (c.tail != nullptr) {
            c.tail->set_next(frame.end);
            heads_.push_back(c.head);
        } else {
            heads_.push_back(frame.end);
        }
        contents.width = {std::min(contents.width.min, c.width.min), std::max(contents.width.max, c.width.max)};
        contents.simple = contents.simple && c.simple;
    }
    finished_.resize(frame.first_alternative);
    linked.heads = arena_.copy(heads_.data(), heads_.size());
    contents.first_nested = frame.first_nested;
    contents.nested_count = result_.group_count - frame.first_nested;
    contents.self_contained = frame.self_contained;
    return linked;
}

template <class It>
void compiler<It>::reads_records() {
    pattern_reads_records_ = true;
    frames_.back().self_contained = false;
}

template <class It>
void compiler<It>::close() {
    open_group& frame = frames_.back();
    finish_alternative(frame);
    linked_alternatives linked = link_alternatives(frame);
    width_range& width = linked.contents.width;
    flags_ = frame.outer_flags;

    sub_expr<It>* atom = frame.construct;
    std::uint32_t number = no_group;
    switch (frame.kind) {
        case frame_kind::group:
        case frame_kind::atomic:
            frame.group->close(linked.heads, linked.contents);
            number = frame.group->number();
            atom = frame.kind == frame_kind::group ? static_cast<sub_expr<It>*>(frame.group)
                                                   : arena_.make<independent_group<It>>(frame.group, arena_);
            break;
        case frame_kind::lookaround:
            frame.group->close(linked.heads, linked.contents);
            frame.lookaround->close(frame.group);
            break;
        case frame_kind::conditional: {
            auto* conditional = static_cast<match_conditional<It>*>(frame.construct);
            const sub_expr<It>* yes = linked.heads[0];
            const sub_expr<It>* no = linked.heads.size() > 1 ? linked.heads[1] : conditional->end();
            if (linked.heads.size() == 1) width.min = 0;  // the missing no branch matches empty
            if (frame.condition != nullptr) {
                frame.condition->set_next(yes);
                frame.lookaround->set_else(no);
                conditional->set_assertion_condition(frame.condition);
            }
            conditional->close(yes, no, width);
            number = conditional->number();
            break;
        }
    }
    if (number != no_group) groups_[number] = width;

    const open_group closed = std::move(frame);
    frames_.pop_back();
    frames_.back().self_contained = frames_.back().self_contained && closed.self_contained;
    if (closed.is_condition) {
        // The look-around decides the enclosing conditional, whose branches follow.
        frames_.back().condition = closed.construct;
        frames_.back().lookaround = closed.lookaround;
        return;
    }
    if (closed.kind == frame_kind::lookaround) {
        // Zero-width assertions take no quantifier.
        append(frames_.back().current, atom, {0, 0}, false);
        return;
    }
    add_atom(atom, false, true);
}

template <class It>
void compiler<It>::add_character(unsigned char c) {
    chain& current = frames_.back().current;
    const bool nocase = (flags_ & flag_ignore_case) != 0;
    const std::optional<perl_syntax::quantifier> q = syntax_.read_quantifier(flags_);
    if (!q) {
        // Flags change only at parentheses, which end every run.
        current.run_nocase = nocase;
        current.run += static_cast<char>(c);
        return;
    }
    flush_run(current);
    auto* atom = arena_.make<match_char_t<It>>(static_cast<char>(c), nocase);
    const repeat_bounds bounds{q->min, q->max, q->greedy};
    append(current, atom->quantify(bounds, arena_), bounds.scale(atom->width()), q->min == q->max);
}

template <class It>
void compiler<It>::flush_run(chain& c) {
    if (c.run.empty()) return;
    std::string run = std::move(c.run);
    c.run.clear();
    sub_expr<It>* n = nullptr;
    bool has_case = false;
    for (char ch : run) {
        const auto u = static_cast<unsigned char>(ch);
        has_case = has_case || to_lower(u) != to_upper(u);
    }
    const width_range width{run.size(), run.size()};
    if (run.size() == 1)
        n = arena_.make<match_char_t<It>>(run[0], c.run_nocase);
    else if (c.run_nocase && has_case)
        n = arena_.make<match_literal_nocase_t<It>>(std::move(run));
    else
        n = arena_.make<match_literal_t<It>>(std::move(run));
    append(c, n, width, true);
}

template <class It>
std::optional<repeat_bounds> compiler<It>::add_atom(sub_expr<It>* atom, bool simple, bool is_group) {
    chain& c = frames_.back().current;
    flush_run(c);
    const std::optional<perl_syntax::quantifier> q = syntax_.read_quantifier(flags_);
    if (!q) {
        append(c, atom, atom->width(), simple);
        return std::nullopt;
    }
    const repeat_bounds bounds{q->min, q->max, q->greedy};
    if (is_group && bounds.max >= 17) result_.recursion_allowed = false;
    // A quantified group records its repetitions, which a simple chain cannot.
    const bool fixed_simple_atom = simple && !is_group && bounds.min == bounds.max;
    sub_expr<It>* const loop = atom->quantify(bounds, arena_);
    // Outside every group and assertion, what follows the loop is the same
    // whichever attempt reaches it.
    if (frames_.size() == 1 && !result_.memoised_loop) result_.memoised_loop = loop->take_memo();
    append(c, loop, bounds.scale(atom->width()), fixed_simple_atom);
    return bounds;
}

template <class It>
void compiler<It>::append(chain& c, sub_expr<It>* n, width_range width, bool simple) {
    if (c.tail != nullptr)
        c.tail->set_next(n);
    else
        c.head = n;
    c.tail = n;
    c.width = {add_widths(c.width.min, width.min), add_widths(c.width.max, width.max)};
    c.simple = c.simple && simple;
}

template <class It>
sub_expr<It>* compiler<It>::make_backref(std::uint32_t capture) {
    reads_records();
    width_range width{0, unbounded_width};
    if (capture < capture_groups_.size() && groups_[capture_groups_[capture]])
        width = *groups_[capture_groups_[capture]];
    if (flags_ & flag_ignore_case) {
        auto* n = arena_.make<match_backref_t<It, ch_neq_nocase_t>>(capture, width);
        nocase_backrefs_.push_back(n);
        return n;
    }
    auto* n = arena_.make<match_backref_t<It, ch_neq_t>>(capture, width);
    backrefs_.push_back(n);
    return n;
}

template <class It>
sub_expr<It>* compiler<It>::make_charset() {
    auto* set = arena_.make<custom_charset>();
    parse_class(syntax_.pattern(), syntax_.position(), flags_, *set);
    return arena_.make<match_charset_t<It>>(*set);
}

template <class It>
sub_expr<It>* compiler<It>::make_anchor(token_kind kind) {
    const bool multiline = (flags_ & flag_multiline) != 0;
    switch (kind) {
        case token_kind::caret:
            if (multiline) return arena_.make<assert_op<It, anchor::bol_t>>();
            return arena_.make<assert_op<It, anchor::bos_t>>();
        case token_kind::dollar:
            if (multiline) return arena_.make<assert_op<It, anchor::eol_t>>();
            return arena_.make<assert_op<It, anchor::peos_t>>();
        case token_kind::text_begin:
            return arena_.make<assert_op<It, anchor::bos_t>>();
        case token_kind::text_end_or_final_newline:
            return arena_.make<assert_op<It, anchor::peos_t>>();
        case token_kind::text_end:
            return arena_.make<assert_op<It, anchor::eos_t>>();
        case token_kind::word_boundary:
            return arena_.make<word_assertion_t<It, true>>();
        default:
            return arena_.make<word_assertion_t<It, false>>();
    }
}

template <class It>
std::uint32_t compiler<It>::group_of_capture(std::uint32_t capture) const {
    if (capture >= capture_groups_.size()) throw bad_regexpr("reference to nonexistent group");
    return capture_groups_[capture];
}

template <class It>
void compiler<It>::resolve_references() {
    for (auto* n : backrefs_) n->resolve(group_of_capture(n->capture()));
    for (auto* n : nocase_backrefs_) n->resolve(group_of_capture(n->capture()));
    for (auto* n : group_conditions_) n->resolve(group_of_capture(n->capture()));
}

template <class It>
void compiler<It>::settle_search_shortcuts(const match_group<It>& group0) {
    const bool one_alternative = group0.alternative_count() == 1;
    // Only the first start position can match an anchored pattern, whichever way the search runs.
    if (!(result_.flags & flag_multiline) && one_alternative && leading_ == leading_token::text_begin) {
        result_.can_start_anywhere = false;
        result_.flags &= ~flag_rightmost;
    }
    // A match of ".*rest" at any later start is also one from the first start.
    if (!(result_.flags & flag_rightmost) && (result_.flags & flag_single_line) && one_alternative &&
        leading_ == leading_token::dot_star)
        result_.can_start_anywhere = false;

    result_.plan = plan_search(group0, pattern_reads_records_, opening_);
    result_.reads_records = pattern_reads_records_;
}

}  // namespace regex::detail
