#include "regex/literal_finder.h"

#include "regex/charset.h"

namespace regex::detail {

literal_finder::literal_finder(std::string_view literal, bool nocase)
    : needle_(literal.substr(0, max_length)) {
    if (nocase)
        for (char& c : needle_) c = static_cast<char>(to_lower(static_cast<unsigned char>(c)));
    const auto m = static_cast<unsigned char>(needle_.size());
    for (unsigned c = 0; c < 256; ++c) {
        skip_[c] = m;
        fold_[c] = nocase ? to_lower(static_cast<unsigned char>(c)) : static_cast<unsigned char>(c);
    }
    for (std::size_t i = 0; i + 1 < needle_.size(); ++i) {
        const auto c = static_cast<unsigned char>(needle_[i]);
        const auto distance = static_cast<unsigned char>(needle_.size() - 1 - i);
        skip_[c] = distance;
        if (nocase) skip_[to_upper(c)] = distance;
    }
}

}  // namespace regex::detail
