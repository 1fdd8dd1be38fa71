#include "regex/arena_allocator.h"

namespace regex::detail {
namespace {

constexpr std::size_t kBlockSize = 8192;

}  // namespace

arena_allocator::~arena_allocator() {
    for (record* r = newest_; r != nullptr; r = r->previous) r->destroy(r->object);
}

void* arena_allocator::allocate(std::size_t size) {
    size = round_up(size);
    if (size > free_size_) {
        const std::size_t block = size > kBlockSize ? size : kBlockSize;
        // new[] of std::byte is aligned for any fundamental type.
        blocks_.push_back(std::make_unique<std::byte[]>(block));
        free_ = blocks_.back().get();
        free_size_ = block;
    }
    void* result = free_;
    free_ += size;
    free_size_ -= size;
    return result;
}

}  // namespace regex::detail
