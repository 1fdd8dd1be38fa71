#pragma once
// The node arena of one compiled pattern. Objects are carved from large
// blocks and all destroyed together, newest first, when the arena goes;
// nothing is freed one by one. A pattern of thousands of nodes costs a
// handful of allocations instead of thousands, and the short pattern of a
// typical call none: the first block lives inside the arena, which lives
// wherever the pattern does, usually on the caller's stack.

#include <cstddef>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

namespace regex::detail {

// A run of values in an arena, valid as long as the arena.
template <class T>
class span {
public:
    span() = default;
    span(T* data, std::size_t size) : data_(data), size_(size) {}
    T* begin() const { return data_; }
    T* end() const { return data_ + size_; }
    std::size_t size() const { return size_; }
    T& operator[](std::size_t i) const { return data_[i]; }

private:
    T* data_ = nullptr;
    std::size_t size_ = 0;
};

class arena_allocator {
public:
    arena_allocator() = default;
    arena_allocator(const arena_allocator&) = delete;
    arena_allocator& operator=(const arena_allocator&) = delete;
    ~arena_allocator();

    // A copy of values that need no destructor, as an array in the arena.
    template <class T>
    span<T> copy(const T* values, std::size_t count) {
        static_assert(std::is_trivially_destructible_v<T>, "arena arrays are never destroyed");
        if (count == 0) return {};
        T* array = static_cast<T*>(allocate(sizeof(T) * count));
        std::uninitialized_copy(values, values + count, array);
        return {array, count};
    }

    template <class T, class... Args>
    T* make(Args&&... args) {
        static_assert(alignof(T) <= kAlignment, "over-aligned arena object");
        const std::size_t offset = round_up(sizeof(record));
        void* memory = allocate(offset + sizeof(T));
        T* object = ::new (static_cast<std::byte*>(memory) + offset) T(std::forward<Args>(args)...);
        // Linked only once constructed, so a throwing constructor leaves nothing to destroy.
        auto* r = static_cast<record*>(memory);
        r->previous = newest_;
        r->destroy = [](void* p) { static_cast<T*>(p)->~T(); };
        r->object = object;
        newest_ = r;
        return object;
    }

private:
    // Placed before every object.
    struct record {
        record* previous;         // the object made before this one
        void (*destroy)(void*);   // runs the object's destructor
        void* object;             // the object itself
    };

    static constexpr std::size_t round_up(std::size_t n) {
        constexpr std::size_t a = kAlignment;
        return (n + a - 1) / a * a;
    }

    void* allocate(std::size_t size);

    static constexpr std::size_t kFirstBlock = 4096;
    // Enough for every node. Not std::max_align_t, which is 16 on i686: a
    // local aligned beyond what that stack guarantees makes its function
    // realign the stack, and the i686 build crashed when a match limit's
    // exception was thrown through such a frame.
    static constexpr std::size_t kAlignment = 8;

    alignas(kAlignment) std::byte first_block_[kFirstBlock];
    std::vector<std::unique_ptr<std::byte[]>> blocks_;  // every block after the first, oldest first
    std::byte* free_ = first_block_;                    // the unused part of the newest block
    std::size_t free_size_ = kFirstBlock;               // its length
    record* newest_ = nullptr;                          // the most recently made object
};

}  // namespace regex::detail
