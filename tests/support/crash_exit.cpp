// Linked into every Windows test program: an unhandled exception ends the
// program at once with the exception code as its exit status, after printing
// where it happened. Left to Wine, it would start winedbg and wait there for
// a debugger, stalling the run.
#include <windows.h>

#include <cstdio>

namespace {

// "module+0xOFFSET", which addr2line turns into a source line.
void PrintPlace(const char* label, DWORD64 address) {
    HMODULE module = nullptr;
    char name[MAX_PATH] = "?";
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<const char*>(address), &module))
        GetModuleFileNameA(module, name, sizeof name);
    std::fprintf(stderr, "  %s %s+0x%llx\n", label, name,
                 static_cast<unsigned long long>(address - reinterpret_cast<DWORD64>(module)));
}

#ifdef _WIN64
// The faulting thread's calls, unwound from the context of the fault.
void PrintCallers(CONTEXT context) {
    for (int depth = 0; depth < 24 && context.Rip != 0; ++depth) {
        PrintPlace(depth == 0 ? "at" : "from", context.Rip);
        DWORD64 imageBase = 0;
        PRUNTIME_FUNCTION function = RtlLookupFunctionEntry(context.Rip, &imageBase, nullptr);
        if (function == nullptr) {
            // A leaf function: its return address is on top of the stack.
            context.Rip = *reinterpret_cast<const DWORD64*>(context.Rsp);
            context.Rsp += sizeof(DWORD64);
            continue;
        }
        void* handlerData = nullptr;
        DWORD64 frame = 0;
        RtlVirtualUnwind(UNW_FLAG_NHANDLER, imageBase, context.Rip, function, &context, &handlerData, &frame,
                         nullptr);
    }
}
#endif

LONG WINAPI ExitOnUnhandledException(EXCEPTION_POINTERS* pointers) {
    const DWORD code = pointers->ExceptionRecord->ExceptionCode;
    std::fprintf(stderr, "unhandled exception 0x%08lx\n", static_cast<unsigned long>(code));
#ifdef _WIN64
    PrintCallers(*pointers->ContextRecord);
#else
    PrintPlace("at", reinterpret_cast<DWORD64>(pointers->ExceptionRecord->ExceptionAddress));
#endif
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), code);
    return EXCEPTION_EXECUTE_HANDLER;
}

const bool g_installed = (SetUnhandledExceptionFilter(ExitOnUnhandledException), true);

}  // namespace
