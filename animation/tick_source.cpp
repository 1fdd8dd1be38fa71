#include "animation/tick_source.h"

#include <windows.h>

#include <atomic>

namespace animation {
namespace {

std::atomic<TickSource> g_replacement{nullptr};

}  // namespace

std::uint32_t CurrentTick() {
    const TickSource replacement = g_replacement.load();
    return replacement != nullptr ? replacement() : GetTickCount();
}

void ReplaceTickSource(TickSource replacement) { g_replacement.store(replacement); }

}  // namespace animation
