#include "frame/library_thread.h"

#include <atomic>
#include <memory>
#include <new>

#include "frame/debug_trace.h"

namespace {

std::atomic<ThreadCreator> g_creator{nullptr};

struct ThreadStart {
    LibraryThreadRoutine routine;
    void* argument;
    HMODULE module;  // the reference the thread gives back
};

DWORD RunGuarded(LibraryThreadRoutine routine, void* argument) {
    try {
        return routine(argument);
    } catch (...) {
        DebugTrace(L"ReRidu: a library thread ended by an exception");
        return 1;
    }
}

DWORD WINAPI RunThenRelease(void* raw) {
    ThreadStart start;
    {
        const std::unique_ptr<ThreadStart> owned(static_cast<ThreadStart*>(raw));
        start = *owned;
    }
    // Nothing of the library's may run after this call, which is why no
    // object with a destructor lives in this frame.
    FreeLibraryAndExitThread(start.module, RunGuarded(start.routine, start.argument));
}

}  // namespace

bool StartLibraryThread(LibraryThreadRoutine routine, void* argument, SIZE_T stackReservation) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCWSTR>(&RunThenRelease), &module))
        return false;
    std::unique_ptr<ThreadStart> start;
    try {
        start = std::make_unique<ThreadStart>(ThreadStart{routine, argument, module});
    } catch (const std::bad_alloc&) {
    }
    const ThreadCreator replacement = g_creator.load();
    HANDLE thread = nullptr;
    if (start && replacement)
        thread = replacement(nullptr, stackReservation, RunThenRelease, start.get(), STACK_SIZE_PARAM_IS_A_RESERVATION,
                             nullptr);
    else if (start)
        thread = CreateThread(nullptr, stackReservation, RunThenRelease, start.get(),
                              STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (thread == nullptr) {
        FreeLibrary(module);
        return false;
    }
    start.release();
    CloseHandle(thread);
    return true;
}

void SetThreadCreatorForTesting(ThreadCreator creator) { g_creator.store(creator); }
