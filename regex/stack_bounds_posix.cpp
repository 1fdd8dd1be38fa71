#include <pthread.h>

#include "regex/stack_bounds.h"

namespace regex::detail {

std::uintptr_t thread_stack_floor() {
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) != 0) return 0;
    void* address = nullptr;
    size_t size = 0;
    const int status = pthread_attr_getstack(&attributes, &address, &size);
    pthread_attr_destroy(&attributes);
    return status == 0 ? reinterpret_cast<std::uintptr_t>(address) : 0;
}

}  // namespace regex::detail
