#include <windows.h>

// Runs under the loader lock, so it does nothing that could wait on another
// thread; all load-time work happens in static initialisation (load_time_init.cpp).
BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(module);
    return TRUE;
}
