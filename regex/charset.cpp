#include "regex/charset.h"

#include <array>
#include <cctype>

#include "regex/bad_regexpr.h"

namespace regex::detail {
namespace {

struct class_table {
    std::array<class_mask, 256> masks{};

    class_table() {
        for (int c = 0; c < 256; ++c) {
            class_mask m = 0;
            if (std::isalnum(c)) m |= class_alnum;
            if (std::isalpha(c)) m |= class_alpha;
            // POSIX blank is space and tab; Windows' C library marks only the space with its blank bit.
            if (c == ' ' || c == '\t') m |= class_blank;
            if (std::iscntrl(c)) m |= class_cntrl;
            if (std::isdigit(c)) m |= class_digit;
            if (std::isgraph(c)) m |= class_graph;
            if (std::islower(c)) m |= class_lower;
            if (std::isprint(c)) m |= class_print;
            if (std::ispunct(c)) m |= class_punct;
            if (std::isspace(c)) m |= class_space;
            if (std::isupper(c)) m |= class_upper;
            if (std::isxdigit(c)) m |= class_xdigit;
            masks[static_cast<unsigned>(c)] = m;
        }
    }
};

const class_table& classes() {
    static const class_table table;
    return table;
}

struct case_table {
    unsigned char lower[256];
    unsigned char upper[256];

    case_table() {
        for (int c = 0; c < 256; ++c) {
            lower[c] = static_cast<unsigned char>(std::tolower(c));
            upper[c] = static_cast<unsigned char>(std::toupper(c));
        }
    }
};

const case_table& cases() {
    static const case_table table;
    return table;
}

}  // namespace

class_mask class_of(unsigned char c) { return classes().masks[c]; }

class_mask class_by_name(std::string_view name) {
    static constexpr struct {
        std::string_view name;
        class_mask mask;
    } kNames[] = {
        {"alnum", class_alnum}, {"alpha", class_alpha}, {"blank", class_blank},  {"cntrl", class_cntrl},
        {"digit", class_digit}, {"graph", class_graph}, {"lower", class_lower},  {"print", class_print},
        {"punct", class_punct}, {"space", class_space}, {"upper", class_upper}, {"xdigit", class_xdigit},
    };
    for (const auto& entry : kNames)
        if (entry.name == name) return entry.mask;
    return 0;
}

unsigned char to_lower(unsigned char c) { return cases().lower[c]; }
unsigned char to_upper(unsigned char c) { return cases().upper[c]; }
const unsigned char* lower_case_table() { return cases().lower; }

void basic_charset::add_char(unsigned char c, bool ignore_case) {
    if (ignore_case) {
        set_bit(to_lower(c));
        set_bit(to_upper(c));
    } else {
        set_bit(c);
    }
}

void basic_charset::add_range(unsigned char lo, unsigned char hi, bool ignore_case) {
    if (lo > hi) throw bad_regexpr("invalid range specified in character set");
    for (unsigned c = lo; c <= hi; ++c) add_char(static_cast<unsigned char>(c), ignore_case);
}

void basic_charset::merge(const basic_charset& shared) {
    if (shared.negated_) {
        included_.push_back(&shared);
        return;
    }
    for (int w = 0; w < 8; ++w) bits_[w] |= shared.bits_[w];
    classes_ |= shared.classes_;
}

void basic_charset::finish() {
    if (classes_ != 0) {
        for (unsigned c = 0; c < 256; ++c)
            if (class_of(static_cast<unsigned char>(c)) & classes_) set_bit(static_cast<unsigned char>(c));
        classes_ = 0;
    }
    table_only_ = negated_classes_.empty() && included_.empty();
}

void basic_charset::add_members(std::uint32_t (&words)[8]) const {
    if (table_only_) {
        for (int w = 0; w < 8; ++w) words[w] |= negated_ ? ~bits_[w] : bits_[w];
        return;
    }
    for (unsigned c = 0; c < 256; ++c)
        if (contains(static_cast<unsigned char>(c))) words[c >> 5] |= 1u << (c & 31);
}

bool basic_charset::in_lists(unsigned char c) const {
    for (class_mask m : negated_classes_)
        if ((class_of(c) & m) == 0) return true;
    for (const basic_charset* set : included_)
        if (set->contains(c)) return true;
    return false;
}

charset::charset(char escape) {
    switch (escape) {
        case 'w':
        case 'W':
            add_class(class_alpha | class_digit);
            add_char('_', false);
            break;
        case 'd':
        case 'D':
            add_class(class_digit);
            break;
        default:  // s S
            add_class(class_space);
            break;
    }
    if (escape >= 'A' && escape <= 'Z') negate();
    finish();
}

const charset& intrinsic_charsets<char>::intrinsic_charset(char escape) {
    // Each built by the first thread that needs it; the language makes the wait safe.
    switch (escape) {
        case 'd': { static const charset set('d'); return set; }
        case 'D': { static const charset set('D'); return set; }
        case 's': { static const charset set('s'); return set; }
        case 'S': { static const charset set('S'); return set; }
        case 'w': { static const charset set('w'); return set; }
        default:  { static const charset set('W'); return set; }
    }
}

}  // namespace regex::detail
