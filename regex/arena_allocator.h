#pragma once
// The node arena of one compiled pattern. Objects are carved from large
// blocks and all destroyed together, newest first, when the arena goes;
// nothing is freed one by one. A pattern of thousands of nodes costs a
// handful of allocations instead of thousands.

#include <cstddef>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

namespace regex::detail {

class arena_allocator {
public:
    arena_allocator() = default;
    arena_allocator(const arena_allocator&) = delete;
    arena_allocator& operator=(const arena_allocator&) = delete;
    ~arena_allocator();

    template <class T, class... Args>
    T* make(Args&&... args) {
        static_assert(alignof(T) <= alignof(std::max_align_t), "over-aligned arena object");
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
        constexpr std::size_t a = alignof(std::max_align_t);
        return (n + a - 1) / a * a;
    }

    void* allocate(std::size_t size);

    std::vector<std::unique_ptr<std::byte[]>> blocks_;  // every block, oldest first
    std::byte* free_ = nullptr;                         // the unused part of the newest block
    std::size_t free_size_ = 0;                         // its length
    record* newest_ = nullptr;                          // the most recently made object
};

}  // namespace regex::detail
