#include <pthread.h>

#include "regex/stack_bounds.h"

namespace regex::detail {

namespace {

std::uintptr_t query_stack_floor() {
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) != 0) return 0;
    void* address = nullptr;
    size_t size = 0;
    const int status = pthread_attr_getstack(&attributes, &address, &size);
    pthread_attr_destroy(&attributes);
    return status == 0 ? reinterpret_cast<std::uintptr_t>(address) : 0;
}

}  // namespace

// For the main thread glibc answers by reading /proc/self/maps, some 30 us,
// more than a whole short search; a thread's stack never moves, so ask once.
std::uintptr_t thread_stack_floor() {
    thread_local const std::uintptr_t floor = query_stack_floor();
    return floor;
}

}  // namespace regex::detail
