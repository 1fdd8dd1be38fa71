// Linked into every Windows test program: an unhandled exception ends the
// program at once with the exception code as its exit status. Left to Wine,
// it would start winedbg and wait there for a debugger, stalling the run.
#include <windows.h>

#include <cstdio>

namespace {

LONG WINAPI ExitOnUnhandledException(EXCEPTION_POINTERS* pointers) {
    const DWORD code = pointers->ExceptionRecord->ExceptionCode;
    std::fprintf(stderr, "unhandled exception 0x%08lx at %p\n", static_cast<unsigned long>(code),
                 pointers->ExceptionRecord->ExceptionAddress);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), code);
    return EXCEPTION_EXECUTE_HANDLER;
}

const bool g_installed = (SetUnhandledExceptionFilter(ExitOnUnhandledException), true);

}  // namespace
