#pragma once
// A time limit on the 32-bit tick count, which every supported Windows has.
// Differences of tick counts stay right across its wrap, so any limit below
// 49 days is measured correctly.

#include <windows.h>

class TickDeadline {
public:
    explicit TickDeadline(DWORD limitMs) : start_(GetTickCount()), limit_(limitMs) {}

    // 0 once the limit has passed.
    DWORD RemainingMs() const {
        const DWORD elapsed = GetTickCount() - start_;
        return elapsed >= limit_ ? 0 : limit_ - elapsed;
    }

private:
    DWORD start_;
    DWORD limit_;
};
