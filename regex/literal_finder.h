#pragma once
// Finds where a pattern's leading literal occurs, so the search tries only
// those start positions: Boyer-Moore-Horspool over the first 255 characters
// of the literal, case-insensitive when the literal is.
//
// The skip table holds, for each character, how far the window may move when
// that character is under the window's last cell: the distance from the
// character's last position in the needle (last cell excluded) to the end, or
// the whole needle's length when it does not occur. Under ignore-case both
// cases of a character share its distance.

#include <cstddef>
#include <string>
#include <string_view>

namespace regex::detail {

class literal_finder {
public:
    static constexpr std::size_t max_length = 255;

    // literal is not empty.
    literal_finder(std::string_view literal, bool nocase);

    // The first position in [first, last) where the needle begins, or last.
    template <class It>
    It find(It first, It last) const {
        const std::size_t m = needle_.size();
        while (static_cast<std::size_t>(last - first) >= m) {
            std::size_t i = m;
            while (i > 0 && fold_[static_cast<unsigned char>(first[static_cast<std::ptrdiff_t>(i - 1)])] ==
                                static_cast<unsigned char>(needle_[i - 1]))
                --i;
            if (i == 0) return first;
            first += skip_[static_cast<unsigned char>(first[static_cast<std::ptrdiff_t>(m - 1)])];
        }
        return last;
    }

private:
    std::string needle_;        // the literal's first max_length characters
    unsigned char skip_[256];   // window moves, by the character under the last cell
    unsigned char fold_[256];   // identity, or lower case under nocase
};

}  // namespace regex::detail
