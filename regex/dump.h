#pragma once
// A compiled pattern as text, one token per node:
//     a(b|c)*d  ->  group 0 {'a' max{0,inf} {group 1 {'b' | 'c'}} 'd'} end
// Nested chains (alternatives, bodies, repeated atoms) follow their node in
// braces, separated by '|'. The walk keeps its own stack, so a deeply nested
// pattern dumps as safely as it compiles.

#include <string>
#include <vector>

#include "regex/nodes.h"
#include "regex/rpattern.h"

namespace regex::detail {

inline std::string describe_char(unsigned char c) {
    static const char hex[] = "0123456789abcdef";
    if (c >= 0x20 && c < 0x7F && c != '\\' && c != '\'' && c != '"' && c != ']' && c != '-')
        return std::string(1, static_cast<char>(c));
    return std::string("\\x") + hex[c >> 4] + hex[c & 15];
}

inline std::string describe_text(std::string_view text) {
    std::string out;
    for (char c : text) out += describe_char(static_cast<unsigned char>(c));
    return out;
}

// The members as ranges; a set of more than half the characters as the ranges it leaves out.
inline std::string describe_set(const basic_charset& set) {
    unsigned members = 0;
    for (unsigned c = 0; c < 256; ++c) members += set.contains(static_cast<unsigned char>(c));
    const bool complement = members > 128;
    std::string out = complement ? "[^" : "[";
    for (unsigned c = 0; c < 256;) {
        if (set.contains(static_cast<unsigned char>(c)) == complement) {
            ++c;
            continue;
        }
        unsigned last = c;
        while (last + 1 < 256 && set.contains(static_cast<unsigned char>(last + 1)) != complement) ++last;
        out += describe_char(static_cast<unsigned char>(c));
        if (last > c) out += (last > c + 1 ? "-" : "") + describe_char(static_cast<unsigned char>(last));
        c = last + 1;
    }
    return out + "]";
}

inline std::string describe_bounds(const repeat_bounds& q, bool greedy) {
    std::string out = greedy ? "max{" : "min{";
    out += std::to_string(q.min) + ",";
    out += q.max == repeat_bounds::unbounded ? std::string("inf") : std::to_string(q.max);
    return out + "}";
}

template <class It>
void match_char_t<It>::describe(node_description<It>& out) const {
    out.text = "'" + describe_char(static_cast<unsigned char>(one_)) + "'" + (nocase_ ? "i" : "");
}

template <class It, bool Nocase>
void basic_match_literal<It, Nocase>::describe(node_description<It>& out) const {
    out.text = "\"" + describe_text(text_) + "\"" + (Nocase ? "i" : "");
}

template <class It>
void match_charset_t<It>::describe(node_description<It>& out) const {
    out.text = describe_set(set_);
}

template <class It, class Kind>
void match_any_t<It, Kind>::describe(node_description<It>& out) const {
    out.text = std::is_same_v<Kind, eol_t> ? "any-but-lf" : "any";
}

template <class It, class Compare>
void match_backref_t<It, Compare>::describe(node_description<It>& out) const {
    out.text = "\\" + std::to_string(capture_) + "=group " + std::to_string(group_) +
               (std::is_same_v<Compare, ch_neq_nocase_t> ? "i" : "");
}

template <class It, anchor Kind>
void assert_op<It, Kind>::describe(node_description<It>& out) const {
    static const char* const names[] = {"bos", "bol", "eos", "eol", "peos"};
    out.text = names[static_cast<int>(Kind)];
}

template <class It, bool Boundary>
void word_assertion_t<It, Boundary>::describe(node_description<It>& out) const {
    out.text = Boundary ? "\\b" : "\\B";
}

template <class It>
void match_group<It>::describe(node_description<It>& out) const {
    out.text = number_ == no_group ? "body" : "group " + std::to_string(number_);
    for (const sub_expr<It>* alternative : alternatives_) out.chains.push_back({alternative, end_});
}

template <class It>
void end_group<It>::describe(node_description<It>& out) const {
    out.text = "end-group " + std::to_string(number_);
}

template <class It, class Owner>
void body_end<It, Owner>::describe(node_description<It>& out) const {
    out.text = "end-body";
}

template <class It>
void independent_group<It>::describe(node_description<It>& out) const {
    out.text = "atomic";
    out.chains.push_back({body_, body_->next()});
}

template <class It, bool Negative>
void lookahead_assertion<It, Negative>::describe(node_description<It>& out) const {
    out.text = Negative ? "(?!" : "(?=";
    for (const sub_expr<It>* alternative : body_->alternatives()) out.chains.push_back({alternative, body_->end()});
}

template <class It, bool Negative>
void lookbehind_assertion<It, Negative>::describe(node_description<It>& out) const {
    out.text = Negative ? "(?<!" : "(?<=";
    for (const sub_expr<It>* alternative : body_->alternatives()) out.chains.push_back({alternative, body_->end()});
}

template <class It>
void match_conditional<It>::describe(node_description<It>& out) const {
    out.text = "cond " + std::to_string(number_);
    if (assertion_ != nullptr) {
        out.text += " on";
        out.chains.push_back({assertion_, yes_});
    } else {
        out.text += " on group " + std::to_string(group_);
    }
    out.chains.push_back({yes_, end_});
    out.chains.push_back({no_, end_});
}

template <class It>
void match_recurse<It>::describe(node_description<It>& out) const {
    out.text = "recurse";
}

template <class It>
void end_of_pattern<It>::describe(node_description<It>& out) const {
    out.text = "end";
}

template <class It, class Atom, bool Greedy>
void atom_quantifier<It, Atom, Greedy>::describe(node_description<It>& out) const {
    out.text = describe_bounds(q_, Greedy);
    out.chains.push_back({atom_, nullptr});
}

template <class It, bool Greedy>
void group_quantifier<It, Greedy>::describe(node_description<It>& out) const {
    out.text = "loop-" + describe_bounds(q_, Greedy);
    out.chains.push_back({entry_, entry_->next()});
}

template <class It, bool Greedy>
void end_quantifier<It, Greedy>::describe(node_description<It>& out) const {
    out.text = "end-loop";
}

// The chain from top to its end, nested chains included.
template <class It>
std::string dump_chain(const sub_expr<It>* top) {
    struct item {
        const sub_expr<It>* head;  // a chain to print from here, or none
        const sub_expr<It>* end;   // where that chain stops
        bool first;                // no separator before the head
        const char* text;          // punctuation to print instead of a chain
    };
    std::string out;
    std::vector<item> work{{top, nullptr, true, nullptr}};
    while (!work.empty()) {
        const item it = work.back();
        work.pop_back();
        if (it.text != nullptr) {
            out += it.text;
            continue;
        }
        if (it.head == it.end || it.head == nullptr) continue;
        node_description<It> d;
        it.head->describe(d);
        if (!it.first) out += ' ';
        out += d.text;
        work.push_back({it.head->next(), it.end, false, nullptr});
        if (d.chains.empty()) continue;
        work.push_back({nullptr, nullptr, false, "}"});
        for (std::size_t i = d.chains.size(); i-- > 0;) {
            work.push_back({d.chains[i].head, d.chains[i].end, true, nullptr});
            if (i > 0) work.push_back({nullptr, nullptr, false, " | "});
        }
        work.push_back({nullptr, nullptr, false, " {"});
    }
    return out;
}

}  // namespace regex::detail
