// The scanner walks the text once. Inside an object it reads members, each
// a name, a colon and a value; inside an array, elements. A scalar is held
// back until the comma or closing bracket after it, so a value the text cuts
// off is never delivered. Errors are reported and the offending character is
// skipped; nothing stops the scan before the end of the text.
//
// Invariant: `open_` holds one entry per begin event not yet matched by its
// end event, innermost last; at the end of the text the remaining entries
// are closed innermost first.
#include "ult/json/json_scanner.h"

#include <climits>
#include <cmath>

#include "ult/json/character_table.h"

namespace ult::json {
namespace {

int hex_digit_value(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return 0;  // anything else counts as 0, quietly
}

bool is_digit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Far beyond any double's range: past it further exponent digits change
// nothing but could overflow the integer.
constexpr long long kExponentLimit = 100000;

}  // namespace

json_scanner::json_scanner(const wchar_t* text, std::size_t length, json_callback& callback)
    : cur_(text), end_(text == nullptr ? text : text + length), callback_(callback) {
    key_.reserve(64);
    value_.text.reserve(256);
    position_.at = cur_;
    callback_.attach(&position_);
}

void json_scanner::run() {
    while (cur_ < end_) {
        if (open_.empty())
            step_top_level();
        else if (open_.back() == container::object)
            step_object();
        else
            step_array();
    }
    while (!open_.empty()) close_innermost();
}

const json_position& json_scanner::mark() {
    position_.at = cur_;
    const std::ptrdiff_t remaining = end_ - cur_;
    position_.remaining = remaining > INT_MAX ? INT_MAX : static_cast<std::int32_t>(remaining);
    return position_;
}

void json_scanner::emit_error() {
    mark();
    callback_.error();
}

void json_scanner::step_top_level() {
    switch (classify(*cur_)) {
        case char_class::open_brace:
            mark();
            callback_.begin_object();
            enter_object();
            break;
        case char_class::open_bracket:
            mark();
            callback_.begin_array();
            enter_array();
            break;
        default:
            ++cur_;
            break;
    }
}

void json_scanner::step_object() {
    switch (classify(*cur_)) {
        case char_class::quote:
        case char_class::word:
            read_member();
            break;
        case char_class::comma:
            flush_member();
            ++cur_;
            break;
        case char_class::number_start:
        case char_class::colon:
        case char_class::open_bracket:
        case char_class::close_bracket:
        case char_class::open_brace:
            emit_error();
            ++cur_;
            break;
        case char_class::close_brace:
            flush_member();
            ++cur_;
            close_innermost();
            break;
        case char_class::blank:
            ++cur_;
            break;
    }
}

void json_scanner::step_array() {
    switch (classify(*cur_)) {
        case char_class::quote:
            // Appends: two strings without a comma between them make one element.
            read_string(value_.text);
            value_.type = value_type::string;
            break;
        case char_class::number_start:
            read_number();
            break;
        case char_class::comma:
            flush_element();
            ++cur_;
            break;
        case char_class::colon:
        case char_class::word:
        case char_class::close_brace:
            emit_error();
            ++cur_;
            break;
        case char_class::open_bracket:
            mark();
            callback_.begin_array();
            enter_array();
            break;
        case char_class::close_bracket:
            flush_element();
            ++cur_;
            close_innermost();
            break;
        case char_class::open_brace:
            if (value_pending()) {
                emit_error();
                discard_value();
            }
            mark();
            callback_.begin_object();
            enter_object();
            break;
        case char_class::blank:
            ++cur_;
            break;
    }
}

void json_scanner::read_member() {
    if (value_pending()) {  // two members without a comma between them
        emit_error();
        discard_value();
    }
    key_.clear();
    if (classify(*cur_) == char_class::quote) {
        read_string(key_);
    } else {
        key_ += *cur_++;
        while (cur_ < end_) {
            const char_class c = classify(*cur_);
            if (c != char_class::word && c != char_class::number_start) break;
            key_ += *cur_++;
        }
    }
    skip_blanks();
    if (cur_ == end_ || *cur_ != L':' || key_.empty()) emit_error();
    if (cur_ < end_) ++cur_;  // the colon, or whatever stands in its place
    skip_blanks();
    if (cur_ == end_) return;

    switch (classify(*cur_)) {
        case char_class::quote:
            read_string(value_.text);
            value_.type = value_type::string;
            break;
        case char_class::number_start:
            read_number();
            break;
        case char_class::word:
            read_word();
            break;
        case char_class::open_bracket:
            mark();
            callback_.begin_member_array(key_);
            enter_array();
            break;
        case char_class::open_brace:
            mark();
            callback_.begin_member_object(key_);
            enter_object();
            break;
        default:
            break;  // the member has no value
    }
}

void json_scanner::read_string(std::wstring& out) {
    const wchar_t delimiter = *cur_++;
    while (cur_ < end_ && *cur_ != delimiter) {
        if (*cur_ != L'\\') {
            out += *cur_++;
            continue;
        }
        if (++cur_ == end_) break;  // a trailing backslash ends the string
        const wchar_t escaped = *cur_++;
        switch (escaped) {
            case L'b': out += L'\b'; break;
            case L'f': out += L'\f'; break;
            case L'n': out += L'\n'; break;
            case L'r': out += L'\r'; break;
            case L't': out += L'\t'; break;
            case L'u': {
                // Four digits and at least one character after them. With
                // fewer the escape adds nothing and what follows the u is
                // read as ordinary characters.
                if (end_ - cur_ < 5) {
                    emit_error();
                    break;
                }
                unsigned unit = 0;
                for (int i = 0; i < 4; ++i) unit = unit * 16 + static_cast<unsigned>(hex_digit_value(*cur_++));
                out += static_cast<wchar_t>(unit);
                break;
            }
            default:
                out += escaped;
                break;
        }
    }
    if (cur_ < end_) ++cur_;  // the closing delimiter
}

void json_scanner::read_number() {
    const wchar_t* const start = cur_;
    double sign = 1;
    if (*cur_ == L'-') {
        sign = -1;
        ++cur_;
    }
    double mantissa = 0;
    long long fraction_digits = 0;
    long long exponent = 0;
    // A leading zero is the whole integer part: a digit after it starts a new token.
    if (cur_ < end_ && *cur_ == L'0') {
        ++cur_;
    } else if (cur_ < end_ && *cur_ >= L'1' && *cur_ <= L'9') {
        while (cur_ < end_ && is_digit(*cur_)) mantissa = mantissa * 10 + (*cur_++ - L'0');
    }
    if (cur_ < end_ && *cur_ == L'.') {
        ++cur_;
        for (; cur_ < end_ && is_digit(*cur_); ++fraction_digits) mantissa = mantissa * 10 + (*cur_++ - L'0');
    }
    if (cur_ < end_ && (*cur_ == L'e' || *cur_ == L'E')) {
        ++cur_;
        long long exponent_sign = 1;
        if (cur_ < end_ && (*cur_ == L'+' || *cur_ == L'-')) exponent_sign = *cur_++ == L'-' ? -1 : 1;
        for (; cur_ < end_ && is_digit(*cur_); ++cur_)
            if (exponent < kExponentLimit) exponent = exponent * 10 + (*cur_ - L'0');
        exponent *= exponent_sign;
    }
    value_.type = value_type::number;
    value_.number = sign * mantissa * std::pow(10.0, static_cast<double>(exponent - fraction_digits));
    value_.text.assign(start, cur_);
}

void json_scanner::read_word() {
    while (cur_ < end_ && classify(*cur_) == char_class::word) value_.text += *cur_++;
    if (value_.text == L"true" || value_.text == L"false") {
        value_.type = value_type::boolean;
        value_.boolean = value_.text == L"true";
    } else if (value_.text == L"null") {
        value_.type = value_type::null;
    }
    // Any other word stays without a type and is dropped without an error.
}

void json_scanner::skip_blanks() {
    while (cur_ < end_ && classify(*cur_) == char_class::blank) ++cur_;
}

void json_scanner::enter_object() {
    ++cur_;
    open_.push_back(container::object);
}

void json_scanner::enter_array() {
    ++cur_;
    open_.push_back(container::array);
    if (value_pending()) {
        emit_error();
        discard_value();
    }
}

void json_scanner::close_innermost() {
    const container closed = open_.back();
    open_.pop_back();
    mark();
    if (closed == container::object)
        callback_.end_object();
    else
        callback_.end_array();
}

void json_scanner::discard_value() {
    value_.type = value_type::none;
    value_.text.clear();
}

void json_scanner::flush_member() {
    if (value_.type != value_type::none) {
        mark();
        callback_.member_value(key_, value_);
    }
    key_.clear();
    discard_value();
}

void json_scanner::flush_element() {
    if (value_.type != value_type::none) {
        mark();
        callback_.element_value(value_);
    }
    discard_value();
}

}  // namespace ult::json
