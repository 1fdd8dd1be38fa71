#include "tests/regex/small_stack_thread.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>
#endif

namespace regex_test {

#ifdef _WIN32

namespace {

DWORD WINAPI Start(void* argument) {
    (*static_cast<const std::function<void()>*>(argument))();
    return 0;
}

}  // namespace

bool RunOnSmallStack(std::size_t bytes, const std::function<void()>& body) {
    HANDLE thread = CreateThread(nullptr, bytes, Start, const_cast<std::function<void()>*>(&body),
                                 STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (thread == nullptr) return false;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return true;
}

#else

bool RunOnSmallStack(std::size_t bytes, const std::function<void()>& body) {
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) return false;
    pthread_attr_setstacksize(&attributes, bytes);
    auto start = [](void* argument) -> void* {
        (*static_cast<const std::function<void()>*>(argument))();
        return nullptr;
    };
    pthread_t thread;
    const int status = pthread_create(&thread, &attributes, start, const_cast<std::function<void()>*>(&body));
    pthread_attr_destroy(&attributes);
    if (status != 0) return false;
    pthread_join(thread, nullptr);
    return true;
}

#endif

}  // namespace regex_test
