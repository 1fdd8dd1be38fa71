#pragma once
// Nodes that match characters or assert something of a position: each
// matches in at most one way, and all but the assertions can repeat as
// atoms.

#include "regex/node_base.h"

namespace regex::detail {

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

}  // namespace regex::detail
