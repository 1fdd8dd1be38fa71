#pragma once
// The lexical side of the pattern language: which characters outside a
// character class are tokens, what an escape stands for, how quantifiers and
// the extensions after "(?" are spelled. The compiler decides what the
// tokens build.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "regex/flags.h"

namespace regex {

class perl_syntax {
public:
    // The all-ones count: a quantifier without an upper bound.
    static constexpr std::uint32_t unbounded = 0xFFFFFFFFu;

    enum class token_kind {
        end_of_pattern,
        character,          // ch: an ordinary or escaped character
        quotation,          // text: the characters between \Q and \E
        group_open,         // (
        group_close,        // )
        alternation,        // |
        caret,              // ^
        dollar,             // $
        dot,                // .
        class_open,         // [
        escape_set,         // escape: d D s S w W
        text_begin,         // \A
        text_end_or_final_newline,  // \Z
        text_end,           // \z
        word_boundary,      // \b
        not_word_boundary,  // \B
        backref,            // number: a capturing-group number
        stray_quantifier,   // a quantifier where an atom should begin
    };

    struct token {
        token_kind kind = token_kind::end_of_pattern;
        unsigned char ch = 0;
        char escape = 0;
        std::uint32_t number = 0;
        std::string_view text;
    };

    struct quantifier {
        std::uint32_t min = 0;
        std::uint32_t max = 0;  // unbounded for no limit
        bool greedy = true;
    };

    enum class group_kind {
        capturing,             // (
        non_capturing,         // (?: and (?imsx-imsx:
        modifiers_only,        // (?imsx-imsx), already closed
        lookahead,             // (?=
        negative_lookahead,    // (?!
        lookbehind,            // (?<=
        negative_lookbehind,   // (?<!
        atomic,                // (?>
        conditional_on_group,  // (?(n), number is n
        conditional_on_assertion,  // (?(?= and kin; assertion is the kind of the condition
        recursion,             // (?R), already closed
        comment,               // (?#...), already closed
    };

    struct group_opening {
        group_kind kind = group_kind::capturing;
        group_kind assertion = group_kind::lookahead;
        std::uint32_t number = 0;
        RegexFlags flags = 0;  // the flags inside the group
    };

    perl_syntax(std::string_view pattern, RegexFlags flags);

    std::string_view pattern() const { return text_; }
    std::size_t& position() { return pos_; }
    bool at_end() const { return pos_ >= text_.size(); }

    // Under flag_extended, moves past white space and # comments (to the end of the line).
    void skip_ignorable(RegexFlags flags);

    // The next token after anything ignorable. groups_so_far decides whether
    // \digits is a backreference or an octal character.
    token next(RegexFlags flags, std::uint32_t groups_so_far);

    // A quantifier at the current position (after anything ignorable), or
    // nothing; only a whole, valid quantifier is consumed. Throws bad_regexpr
    // for {n,m} with m below n.
    std::optional<quantifier> read_quantifier(RegexFlags flags);

    // What follows a '(' that has just been read. flags are the flags in force
    // at the parenthesis. Consumes the extension characters, and for
    // recursion, comments and bare modifiers the closing ')' as well.
    group_opening read_group_opening(RegexFlags flags);

private:
    char peek() const { return text_[pos_]; }
    group_opening read_extension(RegexFlags flags);
    token escape(std::uint32_t groups_so_far);
    token digits_escape(std::uint32_t groups_so_far);
    void skip_comment_group();
    std::uint32_t read_count();

    std::string_view text_;  // the whole pattern
    std::size_t pos_ = 0;    // the next character to read
    bool normalize_;         // \a \f \n \r \t name control characters
};

}  // namespace regex
