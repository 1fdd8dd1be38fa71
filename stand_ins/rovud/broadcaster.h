#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "frame/critical_section.h"

namespace rovud {

using Routine = void(__cdecl*)(void* context, const wchar_t* message);

// Listeners by broadcast name; a broadcast calls them on the caller's thread.
class Broadcaster {
public:
    static Broadcaster& Instance();

    void* Add(const std::wstring& name, Routine routine, void* context);
    bool Remove(void* handle);
    unsigned Send(const std::wstring& name, const std::wstring& message);

private:
    struct Listener {
        std::wstring name;
        Routine routine;
        void* context;
        // Held while the routine runs, so Remove waits for a running call;
        // recursive, so a routine may remove its own listener.
        CriticalSection calling;
        bool removed = false;
    };

    CriticalSection lock_;
    std::vector<std::shared_ptr<Listener>> listeners_;
};

}  // namespace rovud
