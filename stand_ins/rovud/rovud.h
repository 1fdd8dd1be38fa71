#pragma once
// The browser's message library, as ReRidu and its hosts use it: named
// boards holding one block of typed-stream bytes, broadcasts delivered to
// listeners by name, and the registration of threads that take part.
// RoVud.dll in stand_ins/ implements it in-process for our hosts and tests;
// the browser's own library takes its place in the browser.

#include "ult/dst_buf.h"

extern "C" {

using RoVudBroadcastRoutine = void(__cdecl*)(void* context, const wchar_t* message);

// Appends the board's bytes to dst; nothing when the board is empty or
// unknown. True when something was appended.
bool __cdecl KtGetGlobalBoard(const wchar_t* name, ult::dst_buf<unsigned char>* dst);

// Registration of the calling thread; registrations nest. Each returns how
// many the thread holds afterwards.
int __cdecl RoVudEnterCurrentThread();
int __cdecl RoVudLeaveCurrentThread();

// From now on `routine` is called with (context, message) for every
// broadcast under `name`, the message being a key and a value, each
// NUL-terminated. Only a registered thread may listen: null otherwise.
void* __cdecl RoVudCreateBroadcastListener(const wchar_t* name, RoVudBroadcastRoutine routine, void* context);

// Once it returns, the routine is not running and will not be called again
// for this handle; a routine may end its own listener.
bool __cdecl RoVudDestoryListener(void* handle);

// For hosts and tests. Replaces the board's content; size 0 empties it.
bool __cdecl RoVudSetGlobalBoard(const wchar_t* name, const unsigned char* data, unsigned size);

// Calls every listener of `name` with the message (chars wide characters:
// key, NUL, value, NUL) on the calling thread and returns how many it called.
unsigned __cdecl RoVudBroadcast(const wchar_t* name, const wchar_t* message, unsigned chars);

}  // extern "C"
