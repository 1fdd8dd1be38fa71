#pragma once
// Threads that run the library's code keep the library loaded until they have
// left it: each holds a reference on the module, taken before it starts and
// given back by its last instruction (FreeLibraryAndExitThread), so the host
// may free the library while such threads are still winding down.

#include <windows.h>

// The routine must not throw; an exception that leaves it anyway is traced
// and ends that thread only. 0 as stack reservation takes the module's default.
using LibraryThreadRoutine = DWORD (*)(void* argument);

// False when the module reference or the thread could not be had; the caller
// then keeps whatever argument points to.
bool StartLibraryThread(LibraryThreadRoutine routine, void* argument, SIZE_T stackReservation);

// Running out of threads cannot be brought about quickly under Wine, so tests
// replace CreateThread here; nullptr restores it.
using ThreadCreator = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD, LPDWORD);
void SetThreadCreatorForTesting(ThreadCreator creator);
