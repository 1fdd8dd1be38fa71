#pragma once
// A stack of values of mixed types: the backtracking state of the iterative
// matcher and the scratch records of the recursive one.
//
// Memory is a chain of blocks. The first lives inside the object, so a search
// that backtracks little allocates nothing; later blocks come from the heap,
// up to a byte budget, and are released as the stack shrinks (one spare is
// kept, so a stack that breathes across a block edge does not thrash).
//
// Every item carries its type, written above the value; a slot is one
// pointer wide, so a 32-bit process spends half the bytes a 64-bit one does:
//     ... | value, padded to a slot | type | value, padded | type |  <- top
// An array item also carries its length, and a tagged item a word that can
// be read without knowing the value's type (the matcher names the node that
// owns a choice with it):
//     ... | elements, padded | count | type of array_of<T> |
//     ... | value, padded | tag | type, low bit set |
// Popping checks the type and raises type_error on a mismatch. Values must
// be trivially copyable: cut() drops whole runs of items without looking at
// them, so nothing may need destroying.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <typeinfo>

namespace regex {

class hetero_stack {
public:
    class type_error : public std::logic_error {
    public:
        type_error(const std::type_info& requested, const std::type_info& actual);
    };

    // Raised when growing would pass the byte budget; an allocation failure
    // in kind, so callers that treat running out of memory catch it too.
    class budget_exceeded : public std::bad_alloc {
    public:
        const char* what() const noexcept override { return "hetero_stack budget exceeded"; }
    };

    // The type under which an array of T is stored.
    template <class T>
    struct array_of {};

    // A position of the stack, to cut back to later.
    struct mark_type {
        void* block;
        std::size_t used;
        bool operator==(const mark_type& other) const { return block == other.block && used == other.used; }
        bool operator!=(const mark_type& other) const { return !(*this == other); }
    };

    explicit hetero_stack(std::size_t budget);
    hetero_stack(const hetero_stack&) = delete;
    hetero_stack& operator=(const hetero_stack&) = delete;
    ~hetero_stack();

    bool empty() const { return current_ == &first_ && first_.used == 0; }
    mark_type mark() const { return {current_, current_->used}; }
    // Drops every item above m, unread.
    void cut(mark_type m);

    // The stored copy stays where it is until it is popped or cut.
    template <class T>
    T* push(const T& value) {
        check_storable<T>();
        std::byte* at = reserve(padded(sizeof(T)) + kSlot);
        std::memcpy(at, &value, sizeof(T));
        write_type(at + padded(sizeof(T)), typeid(T), 0);
        return std::launder(reinterpret_cast<T*>(at));
    }

    template <class T>
    T pop() {
        T value;
        std::memcpy(&value, top_address<T>(), sizeof(T));
        release(padded(sizeof(T)) + kSlot);
        return value;
    }

    template <class T>
    T* push_tagged(const T& value, const void* tag) {
        check_storable<T>();
        std::byte* at = reserve(padded(sizeof(T)) + 2 * kSlot);
        std::memcpy(at, &value, sizeof(T));
        std::memcpy(at + padded(sizeof(T)), &tag, sizeof tag);
        write_type(at + padded(sizeof(T)) + kSlot, typeid(T), kTagged);
        return std::launder(reinterpret_cast<T*>(at));
    }

    // The tag of the item on top, which must be a tagged one.
    const void* top_tag() const;

    template <class T>
    T pop_tagged() {
        std::byte* type_slot = top_type_slot();
        check_type(type_slot, typeid(T), kTagged);
        T value;
        std::memcpy(&value, type_slot - kSlot - padded(sizeof(T)), sizeof(T));
        release(padded(sizeof(T)) + 2 * kSlot);
        return value;
    }

    template <class T>
    T& top_tagged() {
        std::byte* type_slot = top_type_slot();
        check_type(type_slot, typeid(T), kTagged);
        return *std::launder(reinterpret_cast<T*>(type_slot - kSlot - padded(sizeof(T))));
    }

    template <class T>
    T& top() {
        return *std::launder(reinterpret_cast<T*>(top_address<T>()));
    }

    template <class T>
    T* push_array(const T* values, std::size_t count) {
        check_storable<T>();
        const std::size_t bytes = padded(sizeof(T) * count);
        std::byte* at = reserve(bytes + 2 * kSlot);
        if (count != 0) std::memcpy(at, values, sizeof(T) * count);
        std::memcpy(at + bytes, &count, sizeof count);
        write_type(at + bytes + kSlot, typeid(array_of<T>), 0);
        return std::launder(reinterpret_cast<T*>(at));
    }

    // The array on top, in place; count receives its length.
    template <class T>
    T* top_array(std::size_t& count) {
        std::byte* type_slot = top_type_slot();
        check_type(type_slot, typeid(array_of<T>), 0);
        std::memcpy(&count, type_slot - kSlot, sizeof count);
        return std::launder(reinterpret_cast<T*>(type_slot - kSlot - padded(sizeof(T) * count)));
    }

    template <class T>
    void pop_array() {
        std::size_t count = 0;
        top_array<T>(count);
        release(padded(sizeof(T) * count) + 2 * kSlot);
    }

private:
    static constexpr std::size_t kSlot = sizeof(void*);  // one type, count or tag word
    static constexpr std::size_t kFirstBlock = 2048;
    // Set in a type word above a tagged item; type_info objects are at least
    // pointer-aligned, so the bit is free.
    static constexpr std::uintptr_t kTagged = 1;

    struct block {
        block* previous;     // the block below this one
        std::byte* data;     // its storage
        std::size_t size;    // bytes of storage
        std::size_t used;    // bytes in use, from the start
    };

    template <class T>
    static void check_storable() {
        static_assert(std::is_trivially_copyable_v<T>, "hetero_stack drops items without destroying them");
        static_assert(alignof(T) <= kSlot, "hetero_stack aligns items to a pointer");
        static_assert(sizeof(std::uintptr_t) <= kSlot && sizeof(std::size_t) <= kSlot);
    }
    static constexpr std::size_t padded(std::size_t n) { return (n + kSlot - 1) / kSlot * kSlot; }

    std::byte* top_type_slot() const { return current_->data + current_->used - kSlot; }

    template <class T>
    std::byte* top_address() {
        std::byte* type_slot = top_type_slot();
        check_type(type_slot, typeid(T), 0);
        return type_slot - padded(sizeof(T));
    }

    static void write_type(std::byte* slot, const std::type_info& type, std::uintptr_t marks) {
        const std::uintptr_t word = reinterpret_cast<std::uintptr_t>(&type) | marks;
        std::memcpy(slot, &word, sizeof word);
    }
    // Raises type_error unless the item whose type word is at slot has the
    // requested type and marks.
    void check_type(const std::byte* slot, const std::type_info& requested, std::uintptr_t marks) const;

    std::byte* reserve(std::size_t bytes);
    void release(std::size_t bytes);
    void drop_current();

    alignas(kSlot) std::byte first_data_[kFirstBlock];
    block first_{nullptr, first_data_, kFirstBlock, 0};  // lives in the owner's frame
    block* current_ = &first_;                           // the block holding the top
    block* spare_ = nullptr;                             // an emptied block kept for reuse
    std::size_t budget_;                                 // most heap bytes the blocks may take
    std::size_t allocated_ = 0;                          // heap bytes the blocks take now
};

}  // namespace regex
