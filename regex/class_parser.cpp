// Class syntax, one token at a time:
//   ]            end of class, except as the first item, where it is a member
//   -            range separator between two characters, else a member
//   [:name:]     a POSIX class; [:^name:] its complement; any other [ is a member
//   \d \D ...    a shared escape set
//   \b           backspace; other escapes give one character (octal and hex
//                take every digit that follows, modulo 256)
// A character is held back until the token after it shows whether it starts
// a range. A range needs a character at both ends; "a-" before ], a class or
// an escape set makes both the a and the - plain members.
#include "regex/class_parser.h"

#include <cctype>

#include "regex/bad_regexpr.h"

namespace regex::detail {
namespace {

[[noreturn]] void unterminated() { throw bad_regexpr("expecting end of character set"); }

enum class token_kind { end_of_class, dash, character, escape_set, named_class, negated_named_class };

struct class_token {
    token_kind kind;
    unsigned char ch = 0;         // character
    char escape = 0;              // escape_set: d D s S w W
    class_mask mask = 0;          // named classes
};

class class_reader {
public:
    class_reader(std::string_view pattern, std::size_t& pos, RegexFlags flags)
        : text_(pattern), pos_(pos), normalize_((flags & flag_normalize) != 0) {}

    bool at_end() const { return pos_ >= text_.size(); }
    bool peek(char c) const { return !at_end() && text_[pos_] == c; }
    void skip() { ++pos_; }

    class_token next(bool first) {
        if (at_end()) unterminated();
        const char c = text_[pos_++];
        switch (c) {
            case ']':
                return first ? character(']') : class_token{token_kind::end_of_class};
            case '-':
                return {token_kind::dash, '-'};
            case '\\':
                return escape();
            case '[':
                return bracket();
            default:
                return character(static_cast<unsigned char>(c));
        }
    }

private:
    static class_token character(unsigned char c) { return {token_kind::character, c}; }

    class_token escape() {
        if (at_end()) unterminated();
        const char c = text_[pos_++];
        switch (c) {
            case 'd': case 'D': case 's': case 'S': case 'w': case 'W':
                return {token_kind::escape_set, 0, c};
            case 'b': return character(8);
            case 'e': return character(27);
            case 'x': return character(number(16));
            case 'c':
                if (at_end()) unterminated();
                return character(control_char(static_cast<unsigned char>(text_[pos_++])));
            default:
                break;
        }
        if (c >= '0' && c <= '7') {
            --pos_;
            return character(number(8));
        }
        if (normalize_) {
            switch (c) {
                case 'a': return character(7);
                case 'f': return character(12);
                case 'n': return character(10);
                case 'r': return character(13);
                case 't': return character(9);
                case 'v': return character(11);
                default: break;
            }
        }
        return character(static_cast<unsigned char>(c));
    }

    // Every digit of the base that follows, modulo 256 (256 is a multiple of both bases).
    unsigned char number(unsigned base) {
        unsigned value = 0;
        while (!at_end()) {
            const int digit = digit_value(text_[pos_]);
            if (digit < 0 || static_cast<unsigned>(digit) >= base) break;
            value = (value * base + static_cast<unsigned>(digit)) & 0xFF;
            ++pos_;
        }
        return static_cast<unsigned char>(value);
    }

    static int digit_value(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }

    // After '[': a whole "[:name:]" or "[:^name:]", else a plain '['.
    class_token bracket() {
        std::size_t p = pos_;
        if (p >= text_.size() || text_[p] != ':') return character('[');
        ++p;
        const bool negated = p < text_.size() && text_[p] == '^';
        if (negated) ++p;
        const std::size_t close = text_.find(":]", p);
        if (close == std::string_view::npos) return character('[');
        const class_mask mask = class_by_name(text_.substr(p, close - p));
        if (mask == 0) return character('[');
        pos_ = close + 2;
        return {negated ? token_kind::negated_named_class : token_kind::named_class, 0, 0, mask};
    }

    std::string_view text_;
    std::size_t& pos_;     // the caller's position, kept current
    bool normalize_;       // \a \f \n \r \t \v name control characters
};

}  // namespace

void parse_class(std::string_view pattern, std::size_t& pos, RegexFlags flags, custom_charset& set) {
    const bool ignore_case = (flags & flag_ignore_case) != 0;
    class_reader reader(pattern, pos, flags);
    if (reader.peek('^')) {
        reader.skip();
        set.negate();
    }

    bool first = true;
    bool have_pending = false;
    unsigned char pending = 0;
    auto flush = [&] {
        if (have_pending) set.add_char(pending, ignore_case);
        have_pending = false;
    };

    for (;;) {
        class_token token = reader.next(first);
        first = false;
        if (token.kind == token_kind::dash && have_pending) {
            const class_token end = reader.next(false);
            if (end.kind == token_kind::character || end.kind == token_kind::dash) {
                set.add_range(pending, end.ch, ignore_case);
                have_pending = false;
                continue;
            }
            flush();
            set.add_char('-', ignore_case);
            token = end;
        }
        switch (token.kind) {
            case token_kind::end_of_class:
                flush();
                set.finish();
                return;
            case token_kind::dash:
            case token_kind::character:
                flush();
                pending = token.ch;
                have_pending = true;
                break;
            case token_kind::escape_set:
                flush();
                set.merge(intrinsic_charsets<char>::intrinsic_charset(token.escape));
                break;
            case token_kind::named_class:
            case token_kind::negated_named_class: {
                flush();
                class_mask mask = token.mask;
                if (ignore_case && (mask & (class_lower | class_upper))) mask |= class_lower | class_upper;
                if (token.kind == token_kind::named_class)
                    set.add_class(mask);
                else
                    set.add_negated_class(mask);
                break;
            }
        }
    }
}

}  // namespace regex::detail
