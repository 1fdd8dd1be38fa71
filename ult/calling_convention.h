#pragma once
// Member functions of objects shared with MSVC-built code: on i686 MSVC
// passes `this` in ECX and the callee pops (__thiscall), which mingw's g++
// also does by default; naming it keeps the contract visible. Other
// targets have a single convention, and GCC warns about the attribute there.
#if defined(__i386__) || defined(_M_IX86)
#define RERIDU_THISCALL __thiscall
#else
#define RERIDU_THISCALL
#endif
