#pragma once
// Bytes received and not yet consumed. Consuming from the front only moves a
// read position, so taking many short lines from a large buffer stays linear;
// the consumed prefix is dropped once it outweighs what remains.

#include <cstddef>
#include <string>
#include <string_view>

namespace relay {

class ByteQueue {
public:
    std::string_view View() const { return std::string_view(bytes_).substr(front_); }
    std::size_t Size() const { return bytes_.size() - front_; }
    bool Empty() const { return Size() == 0; }

    void Append(std::string_view data) {
        Compact();
        bytes_.append(data);
    }

    // Space for up to n more bytes at the back; Commit says how many were written.
    char* Reserve(std::size_t n) {
        Compact();
        reserved_from_ = bytes_.size();
        bytes_.resize(reserved_from_ + n);
        return bytes_.data() + reserved_from_;
    }
    void Commit(std::size_t written) { bytes_.resize(reserved_from_ + written); }

    // Views taken before stay valid until the next Append or Reserve.
    void Consume(std::size_t n) { front_ += n < Size() ? n : Size(); }
    void Clear() {
        bytes_.clear();
        front_ = 0;
    }

private:
    void Compact() {
        if (front_ > 0 && front_ >= bytes_.size() - front_) {
            bytes_.erase(0, front_);
            front_ = 0;
        }
    }

    std::string bytes_;
    std::size_t front_ = 0;
    std::size_t reserved_from_ = 0;
};

}  // namespace relay
