#pragma once
// Character sets over 8-bit characters.
//
// A set is decided by a 256-bit table for almost every pattern: characters,
// ranges and named classes are all folded into it when the set is finished.
// Two kinds of member cannot be folded without losing what they mean and are
// kept as lists instead: a negated class ([:^digit:]) and a shared negated
// escape set (\W inside a class). A set with neither is "table only" and
// answers with one bit test.
//
// Character classes are the C library's, read once per process on first use
// (see class_of): the engine classifies characters the way the C library of
// the process did when the first pattern needed it.

#include <cstdint>
#include <string_view>
#include <vector>

namespace regex::detail {

// One bit per named class; a mask names any union of them.
using class_mask = std::uint16_t;

inline constexpr class_mask class_alnum = 0x0001;
inline constexpr class_mask class_alpha = 0x0002;
inline constexpr class_mask class_blank = 0x0004;
inline constexpr class_mask class_cntrl = 0x0008;
inline constexpr class_mask class_digit = 0x0010;
inline constexpr class_mask class_graph = 0x0020;
inline constexpr class_mask class_lower = 0x0040;
inline constexpr class_mask class_print = 0x0080;
inline constexpr class_mask class_punct = 0x0100;
inline constexpr class_mask class_space = 0x0200;
inline constexpr class_mask class_upper = 0x0400;
inline constexpr class_mask class_xdigit = 0x0800;

// The classes character c belongs to. The table behind it is built once,
// thread-safely, the first time any character is classified.
class_mask class_of(unsigned char c);

// The mask of a POSIX class name ("alpha"), or 0 for an unknown name.
class_mask class_by_name(std::string_view name);

// The C library's case mapping, read once per process like the classes.
unsigned char to_lower(unsigned char c);
unsigned char to_upper(unsigned char c);
// to_lower of every character, for loops that fold many.
const unsigned char* lower_case_table();

class basic_charset {
public:
    virtual ~basic_charset() = default;

    bool contains(unsigned char c) const {
        const bool listed = (bits_[c >> 5] >> (c & 31)) & 1u;
        if (listed || table_only_) return listed != negated_;
        return in_lists(c) != negated_;
    }

    // Sets in words (bit c%32 of word c/32) the bit of every member.
    void add_members(std::uint32_t (&words)[8]) const;

    bool negated() const { return negated_; }
    bool table_only() const { return table_only_; }

protected:
    basic_charset() = default;

    void add_char(unsigned char c, bool ignore_case);
    // Throws bad_regexpr when lo is above hi.
    void add_range(unsigned char lo, unsigned char hi, bool ignore_case);
    void add_class(class_mask mask) { classes_ |= mask; }
    void add_negated_class(class_mask mask) { negated_classes_.push_back(mask); }
    // A plain shared set joins the table; a negated one is consulted whole.
    void merge(const basic_charset& shared);
    void negate() { negated_ = true; }
    // Folds the pending classes into the table. Call once, after the last add.
    void finish();

private:
    void set_bit(unsigned char c) { bits_[c >> 5] |= 1u << (c & 31); }
    bool in_lists(unsigned char c) const;

    bool negated_ = false;                       // the set is the complement of its members
    bool table_only_ = false;                    // bits_ alone decide membership
    std::uint32_t bits_[8] = {};                 // bit c%32 of word c/32 stands for character c
    class_mask classes_ = 0;                     // named classes not yet folded into bits_
    std::vector<class_mask> negated_classes_;    // a character lacking any of these belongs
    std::vector<const basic_charset*> included_; // shared negated sets, each consulted whole
};

// A shared, read-only set: one of the six escape classes.
class charset final : public basic_charset {
public:
    // escape is one of d D s S w W.
    explicit charset(char escape);
};

// The set of one bracketed class, built by the class parser and owned by the
// node that matches it.
class custom_charset final : public basic_charset {
public:
    using basic_charset::add_char;
    using basic_charset::add_class;
    using basic_charset::add_negated_class;
    using basic_charset::add_range;
    using basic_charset::finish;
    using basic_charset::merge;
    using basic_charset::negate;
};

template <class CharT>
struct intrinsic_charsets;

template <>
struct intrinsic_charsets<char> {
    // The shared set of \d \D \s \S \w or \W, built on first use and kept
    // until the process ends.
    static const charset& intrinsic_charset(char escape);
};

}  // namespace regex::detail
