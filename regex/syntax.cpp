// Outside classes the pattern reads token by token; everything that is not a
// token is an ordinary character, bytes 0x80-0xFF and NUL included.
//
// Under flag_extended white space and # comments may stand before any token
// and inside the extensions after "(?". They are never skipped between a
// quantifier and its lazy '?', inside {n,m}, or between "(?R" and ")".
#include "regex/syntax.h"

#include <cctype>

#include "regex/bad_regexpr.h"
#include "regex/class_parser.h"
#include "ult/hex_digit.h"

namespace regex {
namespace {

[[noreturn]] void ill_formed() { throw bad_regexpr("ill-formed regular expression"); }
[[noreturn]] void bad_extension() { throw bad_regexpr("bad extension sequence"); }

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

perl_syntax::perl_syntax(std::string_view pattern, RegexFlags flags)
    : text_(pattern), normalize_((flags & flag_normalize) != 0) {}

void perl_syntax::skip_ignorable(RegexFlags flags) {
    if (!(flags & flag_extended)) return;
    while (!at_end()) {
        const char c = peek();
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++pos_;
        } else if (c == '#') {
            const std::size_t eol = text_.find('\n', pos_);
            pos_ = eol == std::string_view::npos ? text_.size() : eol + 1;
        } else {
            break;
        }
    }
}

perl_syntax::token perl_syntax::next(RegexFlags flags, std::uint32_t groups_so_far) {
    skip_ignorable(flags);
    if (at_end()) return {};
    const char c = text_[pos_++];
    token t;
    switch (c) {
        case '(': t.kind = token_kind::group_open; return t;
        case ')': t.kind = token_kind::group_close; return t;
        case '|': t.kind = token_kind::alternation; return t;
        case '^': t.kind = token_kind::caret; return t;
        case '$': t.kind = token_kind::dollar; return t;
        case '.': t.kind = token_kind::dot; return t;
        case '[': t.kind = token_kind::class_open; return t;
        case '*':
        case '+':
        case '?':
            t.kind = token_kind::stray_quantifier;
            return t;
        case '{': {
            --pos_;
            const std::size_t start = pos_;
            if (read_quantifier(0)) {
                t.kind = token_kind::stray_quantifier;
                return t;
            }
            pos_ = start + 1;
            t.kind = token_kind::character;
            t.ch = '{';
            return t;
        }
        case '\\':
            return escape(groups_so_far);
        default:
            t.kind = token_kind::character;
            t.ch = static_cast<unsigned char>(c);
            return t;
    }
}

perl_syntax::token perl_syntax::escape(std::uint32_t groups_so_far) {
    token t;
    t.kind = token_kind::character;
    if (at_end()) {
        t.ch = '\\';
        return t;
    }
    const char c = text_[pos_++];
    switch (c) {
        case 'd': case 'D': case 's': case 'S': case 'w': case 'W':
            t.kind = token_kind::escape_set;
            t.escape = c;
            return t;
        case 'A': t.kind = token_kind::text_begin; return t;
        case 'Z': t.kind = token_kind::text_end_or_final_newline; return t;
        case 'z': t.kind = token_kind::text_end; return t;
        case 'b': t.kind = token_kind::word_boundary; return t;
        case 'B': t.kind = token_kind::not_word_boundary; return t;
        case 'E': throw bad_regexpr("quotemeta turned off, but was never turned on");
        case 'Q': {
            const std::size_t end = text_.find("\\E", pos_);
            t.kind = token_kind::quotation;
            t.text = text_.substr(pos_, end == std::string_view::npos ? std::string_view::npos : end - pos_);
            pos_ = end == std::string_view::npos ? text_.size() : end + 2;
            return t;
        }
        case 'e': t.ch = 27; return t;
        case 'x': {
            unsigned value = 0;
            for (int n = 0; n < 2 && !at_end() && ult::HexDigitValue(peek()) >= 0; ++n)
                value = value * 16 + static_cast<unsigned>(ult::HexDigitValue(text_[pos_++]));
            t.ch = static_cast<unsigned char>(value);
            return t;
        }
        case 'c':
            if (at_end()) throw bad_regexpr("incomplete escape sequence \\c");
            t.ch = detail::control_char(static_cast<unsigned char>(text_[pos_++]));
            return t;
        default:
            break;
    }
    if (is_digit(c)) {
        --pos_;
        return digits_escape(groups_so_far);
    }
    if (normalize_) {
        switch (c) {
            case 'a': t.ch = 7; return t;
            case 'f': t.ch = 12; return t;
            case 'n': t.ch = 10; return t;
            case 'r': t.ch = 13; return t;
            case 't': t.ch = 9; return t;
            default: break;
        }
    }
    t.ch = static_cast<unsigned char>(c);
    return t;
}

// \digits: the longest run worth at most 999 names a capturing group when it
// is below 10 or below the groups opened so far, and does not start with 0;
// otherwise up to three octal digits from the first on give a character.
perl_syntax::token perl_syntax::digits_escape(std::uint32_t groups_so_far) {
    constexpr std::uint32_t kLimit = 999;
    const std::size_t first = pos_;
    std::uint32_t value = 0;
    while (!at_end() && is_digit(peek()) && value < kLimit) value = value * 10 + static_cast<std::uint32_t>(text_[pos_++] - '0');
    if (value > kLimit) {
        --pos_;
        value /= 10;
    }
    token t;
    if (text_[first] != '0' && (value < 10 || value < groups_so_far)) {
        t.kind = token_kind::backref;
        t.number = value;
        return t;
    }
    pos_ = first;
    t.kind = token_kind::character;
    if (text_[first] > '7') {
        // No octal digit at all: the digit stands for itself, as any other escaped character.
        t.ch = static_cast<unsigned char>(text_[pos_++]);
        return t;
    }
    unsigned octal = 0;
    for (int n = 0; n < 3 && !at_end() && peek() >= '0' && peek() <= '7'; ++n)
        octal = octal * 8 + static_cast<unsigned>(text_[pos_++] - '0');
    t.ch = static_cast<unsigned char>(octal & 0xFF);
    return t;
}

// Decimal digits, none giving 0; a value beyond 32 bits saturates at all-ones.
std::uint32_t perl_syntax::read_count() {
    std::uint64_t value = 0;
    while (!at_end() && is_digit(peek())) {
        value = value * 10 + static_cast<std::uint64_t>(text_[pos_++] - '0');
        if (value > unbounded) value = unbounded;
    }
    return static_cast<std::uint32_t>(value);
}

std::optional<perl_syntax::quantifier> perl_syntax::read_quantifier(RegexFlags flags) {
    skip_ignorable(flags);
    if (at_end()) return std::nullopt;
    quantifier q;
    switch (peek()) {
        case '*': q = {0, unbounded, true}; break;
        case '+': q = {1, unbounded, true}; break;
        case '?': q = {0, 1, true}; break;
        case '{': {
            const std::size_t start = pos_++;
            q.min = read_count();
            q.max = q.min;
            if (!at_end() && peek() == ',') {
                ++pos_;
                q.max = !at_end() && is_digit(peek()) ? read_count() : unbounded;
            }
            if (at_end() || peek() != '}' || q.min == unbounded) {
                pos_ = start;
                return std::nullopt;
            }
            if (q.max < q.min) throw bad_regexpr("Can't do {n, m} with n > m");
            break;
        }
        default:
            return std::nullopt;
    }
    ++pos_;
    if (!at_end() && peek() == '?') {
        ++pos_;
        q.greedy = false;
    }
    return q;
}

void perl_syntax::skip_comment_group() {
    while (!at_end()) {
        const char c = text_[pos_++];
        if (c == ')') return;
        if (c == '\\' && !at_end()) ++pos_;
    }
    throw bad_regexpr("Expecting end of comment");
}

perl_syntax::group_opening perl_syntax::read_group_opening(RegexFlags flags) {
    group_opening g = read_extension(flags);
    // A group body must follow an extension; the pattern may not end right after one.
    if (g.kind != group_kind::capturing && g.kind != group_kind::comment && g.kind != group_kind::recursion &&
        g.kind != group_kind::modifiers_only && at_end())
        ill_formed();
    return g;
}

perl_syntax::group_opening perl_syntax::read_extension(RegexFlags flags) {
    group_opening g;
    g.flags = flags;
    if (at_end() || peek() != '?') return g;
    ++pos_;
    // "(?#" is a comment even under flag_extended, where a bare # would start one.
    if (!at_end() && peek() == '#') {
        ++pos_;
        skip_comment_group();
        g.kind = group_kind::comment;
        return g;
    }
    skip_ignorable(flags);
    if (at_end()) ill_formed();
    const char c = text_[pos_++];
    switch (c) {
        case ':': g.kind = group_kind::non_capturing; return g;
        case '=': g.kind = group_kind::lookahead; return g;
        case '!': g.kind = group_kind::negative_lookahead; return g;
        case '>': g.kind = group_kind::atomic; return g;
        case '<':
            if (at_end()) ill_formed();
            if (peek() == '=') g.kind = group_kind::lookbehind;
            else if (peek() == '!') g.kind = group_kind::negative_lookbehind;
            else bad_extension();
            ++pos_;
            return g;
        case 'R':
            if (at_end()) ill_formed();
            if (peek() != ')') bad_extension();
            ++pos_;
            g.kind = group_kind::recursion;
            return g;
        case '(': {
            if (at_end()) ill_formed();
            const std::size_t start = pos_;
            if (is_digit(peek())) {
                g.number = read_count();
                if (at_end()) ill_formed();
                if (peek() == ')') {
                    ++pos_;
                    g.kind = group_kind::conditional_on_group;
                    return g;
                }
                pos_ = start;
            }
            if (peek() != '?') bad_extension();
            ++pos_;
            if (at_end()) ill_formed();
            const char a = text_[pos_++];
            if (a == '=') g.assertion = group_kind::lookahead;
            else if (a == '!') g.assertion = group_kind::negative_lookahead;
            else if (a != '<') bad_extension();
            else {
                if (at_end()) ill_formed();
                const char b = text_[pos_++];
                if (b == '=') g.assertion = group_kind::lookbehind;
                else if (b == '!') g.assertion = group_kind::negative_lookbehind;
                else bad_extension();
            }
            g.kind = group_kind::conditional_on_assertion;
            return g;
        }
        default:
            break;
    }
    // Modifier letters, optionally a '-' and more letters, then ':' or ')'.
    if (c != 'i' && c != 'm' && c != 's' && c != 'x' && c != '-') bad_extension();
    --pos_;
    bool clearing = false;
    for (;;) {
        skip_ignorable(g.flags);
        if (at_end()) ill_formed();
        const char m = text_[pos_++];
        RegexFlags bit = 0;
        switch (m) {
            case 'i': bit = flag_ignore_case; break;
            case 'm': bit = flag_multiline; break;
            case 's': bit = flag_single_line; break;
            case 'x': bit = flag_extended; break;
            case '-':
                if (clearing) bad_extension();
                clearing = true;
                continue;
            case ':':
                g.kind = group_kind::non_capturing;
                return g;
            case ')':
                g.kind = group_kind::modifiers_only;
                return g;
            default:
                bad_extension();
        }
        g.flags = clearing ? (g.flags & ~bit) : (g.flags | bit);
    }
}

}  // namespace regex
