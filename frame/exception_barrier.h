#pragma once
// Exports and callbacks are called by code built with other compilers and run
// times, so no exception may leave them. Inside them the library raises
// none but running out of memory, which becomes the call's failure result.

#include <exception>

#include "frame/debug_trace.h"

template <typename Result, typename Body>
Result WithoutExceptions(const wchar_t* call, Result onFailure, Body&& body) noexcept {
    try {
        return body();
    } catch (const std::exception& error) {
        DebugTrace(L"%s failed: %hs", call, error.what());
    } catch (...) {
        DebugTrace(L"%s failed", call);
    }
    return onFailure;
}
