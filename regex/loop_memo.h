#pragma once
// The positions of a bounded text from which one loop of the pattern is
// known to fail (see group_quantifier::iterate), one bit each, kept for a
// whole call: what fails from a position fails there in every later search
// of the same text.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace regex::detail {

class loop_memo {
public:
    explicit loop_memo(std::size_t positions) : positions_(positions) {}

    bool failed(std::size_t offset) const {
        return !bits_.empty() && (bits_[offset / 64] >> (offset % 64) & 1) != 0;
    }
    // Takes memory only once a failure is noted: most searches never note one.
    void note(std::size_t offset) {
        if (bits_.empty()) bits_.assign(positions_ / 64 + 1, 0);
        bits_[offset / 64] |= std::uint64_t{1} << (offset % 64);
    }

private:
    std::size_t positions_;  // the text's length plus one
    std::vector<std::uint64_t> bits_;
};

}  // namespace regex::detail
