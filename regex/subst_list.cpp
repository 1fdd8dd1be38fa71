#include "regex/subst_list.h"

#include "regex/bad_regexpr.h"
#include "regex/charset.h"

namespace regex::detail {
namespace {

char control_character(char letter) {
    switch (letter) {
        case 'a': return '\a';
        case 'e': return '\x1b';
        case 'f': return '\f';
        case 'n': return '\n';
        case 'r': return '\r';
        case 't': return '\t';
        case 'v': return '\v';
        default: return '\0';
    }
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

class replacement_parser {
public:
    replacement_parser(std::string_view text, std::uint32_t capturing_groups)
        : text_(text), capturing_groups_(capturing_groups) {}

    subst_list parse() {
        while (at_ < text_.size()) {
            const char c = text_[at_];
            if (c == '$')
                dollar();
            else if (c == '\\')
                backslash();
            else
                ++at_;
        }
        flush(at_);
        return std::move(list_);
    }

private:
    // Closes the pending literal, which ends at end.
    void flush(std::size_t end) {
        if (end > pending_) {
            subst_entry e;
            e.what = subst_entry::kind::literal;
            e.offset = pending_;
            e.length = end - pending_;
            list_.entries.push_back(e);
        }
    }

    void add_group(int group) {
        subst_entry e;
        e.what = subst_entry::kind::group;
        e.group = group;
        list_.entries.push_back(e);
        list_.uses_groups = true;
    }

    void add_case(case_change change) {
        subst_entry e;
        e.what = subst_entry::kind::case_change;
        e.change = change;
        list_.entries.push_back(e);
    }

    void dollar() {
        flush(at_);
        std::size_t i = at_ + 1;
        int group = 0;
        switch (i < text_.size() ? text_[i] : '\0') {
            case '&': group = subst_entry::whole_match; ++i; break;
            case '`': group = subst_entry::prefix; ++i; break;
            case '\'': group = subst_entry::suffix; ++i; break;
            default: {
                // Digits while the number is below the group count; one digit
                // too many is given back, so $12 with five groups is $1 and a 2.
                std::uint64_t number = 0;
                while (i < text_.size() && is_digit(text_[i]) && number < capturing_groups_) {
                    const std::uint64_t longer = number * 10 + static_cast<std::uint64_t>(text_[i] - '0');
                    if (longer > capturing_groups_) break;
                    number = longer;
                    ++i;
                }
                if (number == 0) throw bad_regexpr("invalid backreference in substitution");
                group = static_cast<int>(number);
            }
        }
        add_group(group);
        at_ = pending_ = i;
    }

    void backslash() {
        flush(at_);
        if (at_ + 1 == text_.size()) throw bad_regexpr("expecting escape sequence in substitution string");
        const char letter = text_[at_ + 1];
        at_ += 2;
        pending_ = at_;
        switch (letter) {
            case 'U': add_case(case_change::upper_on); return;
            case 'u': add_case(case_change::upper_next); return;
            case 'L': add_case(case_change::lower_on); return;
            case 'l': add_case(case_change::lower_next); return;
            case 'E': add_case(case_change::off); return;
            case 'Q': quotation(); return;
            default:
                // The escaped character opens the next literal.
                pending_ = at_ - 1;
                return;
        }
    }

    void quotation() {
        const std::size_t end = text_.find("\\E", at_);
        if (end == std::string_view::npos) {
            at_ = text_.size();
            return;
        }
        flush(end);
        add_case(case_change::off);
        at_ = pending_ = end + 2;
    }

    std::string_view text_;
    std::uint32_t capturing_groups_;
    std::size_t at_ = 0;       // the next character to read
    std::size_t pending_ = 0;  // where the pending literal begins
    subst_list list_;
};

}  // namespace

std::string normalize_replacement(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i++];
            continue;
        }
        const char next = text[i + 1];
        if (const char control = control_character(next); control != '\0') {
            out += control;
            i += 2;
        } else if (next == '\\') {
            // Four become two; a lone pair stays for the parser to read as one backslash.
            out += "\\\\";
            i += text.compare(i, 4, "\\\\\\\\") == 0 ? 4 : 2;
        } else {
            out += text[i++];
        }
    }
    return out;
}

subst_list parse_replacement(std::string_view text, std::uint32_t capturing_groups) {
    return replacement_parser(text, capturing_groups).parse();
}

void change_case(std::string& out, std::size_t from, std::size_t to, bool upper) {
    for (std::size_t i = from; i < to; ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        out[i] = static_cast<char>(upper ? to_upper(c) : to_lower(c));
    }
}

}  // namespace regex::detail
