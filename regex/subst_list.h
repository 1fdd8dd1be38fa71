#pragma once
// Replacement strings: read once into a list of pieces, which a substitution
// then expands for every match it replaces.
//
//     $1 .. $n   capturing group n (the longest run of digits not above n)
//     $&         the whole match
//     $`  $'     the text before and after the match
//     \U \L      upper- or lower-case everything that follows, until \E
//     \u \l      upper- or lower-case the next character
//     \Q ... \E  literal text, $ and backslashes included
//     \c         the character c itself; so \$ is a dollar sign
//
// Under flag_normalize the text is first normalized: the escapes of control
// characters (\a \e \f \n \r \t \v) become those characters, and four
// backslashes in a row become two.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace regex::detail {

enum class case_change : std::uint8_t { upper_on, upper_next, lower_on, lower_next, off };

struct subst_entry {
    enum class kind : std::uint8_t { literal, group, case_change };

    // The record numbers of a group entry that name no capturing group.
    static constexpr int whole_match = 0;
    static constexpr int prefix = -1;  // the text before the match
    static constexpr int suffix = -2;  // the text after the match

    kind what = kind::literal;
    detail::case_change change = case_change::off;  // case_change: which
    int group = 0;                                  // group: the record, or prefix or suffix
    std::size_t offset = 0;                         // literal: where it starts in the replacement
    std::size_t length = 0;                         // literal: how many characters
};

struct subst_list {
    std::vector<subst_entry> entries;
    bool uses_groups = false;  // some entry takes text from the match
};

// The replacement as the parser reads it under flag_normalize.
std::string normalize_replacement(std::string_view text);

// Throws bad_regexpr on a $ that names no group (capturing_groups counts
// the pattern's capturing groups, group 0 not included) and on a backslash
// that ends the text.
subst_list parse_replacement(std::string_view text, std::uint32_t capturing_groups);

// Converts out[from, to) to upper or lower case.
void change_case(std::string& out, std::size_t from, std::size_t to, bool upper);

// Appends what replaces one match to out. text is the replacement the list
// was read from; group_text(n) is the text of record n of the match, or of
// the text before or after it.
//
// Case changes act on the pieces after them: a run (\U, \L) converts every
// piece until \E; a one-character change (\u, \l) converts the first
// character of the next piece, after the run, and is used up by that piece
// even when it is empty.
template <class GroupText>
void expand_replacement(const subst_list& list, std::string_view text, std::string& out, GroupText&& group_text) {
    case_change run = case_change::off;
    case_change next = case_change::off;
    for (const subst_entry& e : list.entries) {
        std::string_view piece;
        switch (e.what) {
            case subst_entry::kind::case_change:
                if (e.change == case_change::upper_next || e.change == case_change::lower_next)
                    next = e.change;
                else
                    run = e.change;
                continue;
            case subst_entry::kind::literal:
                piece = text.substr(e.offset, e.length);
                break;
            case subst_entry::kind::group:
                piece = group_text(e.group);
                break;
        }
        const std::size_t at = out.size();
        out.append(piece);
        if (run != case_change::off) change_case(out, at, out.size(), run == case_change::upper_on);
        if (next != case_change::off) {
            if (!piece.empty()) change_case(out, at, at + 1, next == case_change::upper_next);
            next = case_change::off;
        }
    }
}

}  // namespace regex::detail
