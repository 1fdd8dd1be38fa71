#pragma once
// The output buffer that the browser's libraries write variable-length
// results through: one virtual operation and no virtual destructor, so its
// layout is the same under MSVC and g++.

#include <cstddef>
#include <new>

#include "ult/calling_convention.h"

namespace ult {

template <class T>
class dst_buf {
public:
    // Appends n elements and returns the first of them for the caller to
    // fill, or null when the destination cannot grow (nothing is appended).
    virtual T* RERIDU_THISCALL grow(std::size_t n) = 0;

protected:
    ~dst_buf() = default;
};

// A dst_buf that appends to a standard container (std::wstring,
// std::vector<unsigned char>), the new elements zeroed.
template <class Container>
class variable_length_array_dst final : public dst_buf<typename Container::value_type> {
public:
    using value_type = typename Container::value_type;

    explicit variable_length_array_dst(Container* container) : container_(container) {}

    // Never throws: the caller is another module, which an exception must not cross.
    value_type* RERIDU_THISCALL grow(std::size_t n) override {
        const std::size_t size = container_->size();
        if (n > container_->max_size() - size) return nullptr;
        try {
            container_->resize(size + n);
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
        return container_->data() + size;
    }

private:
    Container* container_;
};

}  // namespace ult
