#include "regex/hetero_stack.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

#if __has_include(<cxxabi.h>)
#include <cxxabi.h>
#define REGEX_HAS_CXXABI 1
#endif

namespace regex {
namespace {

// Heap blocks start small and grow with the stack, so a deep search makes
// a few hundred allocations rather than thousands.
constexpr std::size_t kSmallestHeapBlock = 64 * 1024;
constexpr std::size_t kLargestHeapBlock = 4 * 1024 * 1024;

// The type's name as a reader would write it, where the compiler's ABI can say.
std::string readable_name(const std::type_info& type) {
#ifdef REGEX_HAS_CXXABI
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status),
                                                std::free);
    if (status == 0 && name) return name.get();
#endif
    return type.name();
}

std::string type_error_message(const std::type_info& requested, const std::type_info& actual) {
    return "type error in hetero_stack (requested type: " + readable_name(requested) +
           ", actual type: " + readable_name(actual) + ")";
}

}  // namespace

hetero_stack::type_error::type_error(const std::type_info& requested, const std::type_info& actual)
    : std::logic_error(type_error_message(requested, actual)) {}

hetero_stack::hetero_stack(std::size_t budget) : budget_(budget) {}

hetero_stack::~hetero_stack() {
    while (current_ != &first_) drop_current();
    if (spare_ != nullptr) {
        allocated_ -= spare_->size + sizeof(block);
        ::operator delete(spare_);
    }
}

void hetero_stack::check_type(const std::byte* slot, const std::type_info& requested, std::uintptr_t marks) const {
    if (current_->used < kSlot) throw type_error(requested, typeid(void));
    std::uintptr_t word = 0;
    std::memcpy(&word, slot, sizeof word);
    const auto* actual = reinterpret_cast<const std::type_info*>(word & ~kTagged);
    // The address alone settles it unless the platform keeps copies of type_info.
    if ((word & kTagged) != marks || (actual != &requested && *actual != requested))
        throw type_error(requested, *actual);
}

const void* hetero_stack::top_tag() const {
    if (current_->used < kSlot) throw type_error(typeid(void), typeid(void));
    const std::byte* type_slot = top_type_slot();
    std::uintptr_t word = 0;
    std::memcpy(&word, type_slot, sizeof word);
    if (!(word & kTagged)) throw type_error(typeid(void), *reinterpret_cast<const std::type_info*>(word));
    const void* tag = nullptr;
    std::memcpy(&tag, type_slot - kSlot, sizeof tag);
    return tag;
}

std::byte* hetero_stack::reserve(std::size_t bytes) {
    if (current_->size - current_->used < bytes) {
        block* next = nullptr;
        if (spare_ != nullptr && spare_->size >= bytes) {
            next = spare_;
            spare_ = nullptr;
        } else {
            std::size_t size = std::max(std::min(std::max(allocated_ / 4, kSmallestHeapBlock), kLargestHeapBlock), bytes);
            const std::size_t room = budget_ > allocated_ + sizeof(block) ? budget_ - allocated_ - sizeof(block) : 0;
            if (size > room) size = room;
            if (size < bytes) throw budget_exceeded();
            // Header and storage in one allocation; operator new aligns for any fundamental type.
            void* memory = ::operator new(sizeof(block) + size);
            allocated_ += size + sizeof(block);
            next = static_cast<block*>(memory);
            next->data = reinterpret_cast<std::byte*>(next + 1);
            next->size = size;
        }
        next->previous = current_;
        next->used = 0;
        current_ = next;
    }
    std::byte* at = current_->data + current_->used;
    current_->used += bytes;
    return at;
}

void hetero_stack::release(std::size_t bytes) {
    current_->used -= bytes;
    if (current_->used == 0 && current_ != &first_) drop_current();
}

// Steps down to the block below, keeping the emptied one as the spare.
void hetero_stack::drop_current() {
    block* emptied = current_;
    current_ = emptied->previous;
    if (spare_ != nullptr) {
        allocated_ -= spare_->size + sizeof(block);
        ::operator delete(spare_);
    }
    spare_ = emptied;
}

void hetero_stack::cut(mark_type m) {
    while (current_ != m.block) drop_current();
    current_->used = m.used;
}

}  // namespace regex
