// Linked into every Windows test program: an unhandled exception ends the
// program at once with the exception code as its exit status, after printing
// where it happened. Left to Wine, it would start winedbg and wait there for
// a debugger, stalling the run.
#include <windows.h>

#include <cstdio>

namespace {

// "module+0xOFFSET" of the fault, which addr2line turns into a source line.
void PrintPlace(DWORD64 address) {
    HMODULE module = nullptr;
    char name[MAX_PATH] = "?";
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<const char*>(address), &module))
        GetModuleFileNameA(module, name, sizeof name);
    std::fprintf(stderr, "  at %s+0x%llx\n", name,
                 static_cast<unsigned long long>(address - reinterpret_cast<DWORD64>(module)));
}

LONG WINAPI ExitOnUnhandledException(EXCEPTION_POINTERS* pointers) {
    const DWORD code = pointers->ExceptionRecord->ExceptionCode;
    std::fprintf(stderr, "unhandled exception 0x%08lx\n", static_cast<unsigned long>(code));
    PrintPlace(reinterpret_cast<DWORD64>(pointers->ExceptionRecord->ExceptionAddress));
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), code);
    return EXCEPTION_EXECUTE_HANDLER;
}

const bool g_installed = (SetUnhandledExceptionFilter(ExitOnUnhandledException), true);

}  // namespace
