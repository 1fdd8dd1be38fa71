#include "stand_ins/rovud/broadcaster.h"

#include <algorithm>

namespace rovud {

Broadcaster& Broadcaster::Instance() {
    static Broadcaster broadcaster;
    return broadcaster;
}

void* Broadcaster::Add(const std::wstring& name, Routine routine, void* context) {
    auto listener = std::make_shared<Listener>();
    listener->name = name;
    listener->routine = routine;
    listener->context = context;
    const std::lock_guard<CriticalSection> hold(lock_);
    listeners_.push_back(listener);
    return listener.get();
}

bool Broadcaster::Remove(void* handle) {
    std::shared_ptr<Listener> listener;
    {
        const std::lock_guard<CriticalSection> hold(lock_);
        const auto found = std::find_if(listeners_.begin(), listeners_.end(),
                                        [handle](const auto& candidate) { return candidate.get() == handle; });
        if (found == listeners_.end()) return false;
        listener = *found;
        listeners_.erase(found);
    }
    const std::lock_guard<CriticalSection> waitForCall(listener->calling);
    listener->removed = true;
    return true;
}

unsigned Broadcaster::Send(const std::wstring& name, const std::wstring& message) {
    std::vector<std::shared_ptr<Listener>> receivers;
    {
        const std::lock_guard<CriticalSection> hold(lock_);
        for (const auto& listener : listeners_)
            if (listener->name == name) receivers.push_back(listener);
    }
    unsigned called = 0;
    for (const auto& listener : receivers) {
        const std::lock_guard<CriticalSection> call(listener->calling);
        if (listener->removed) continue;
        listener->routine(listener->context, message.c_str());
        ++called;
    }
    return called;
}

}  // namespace rovud
