// Everything the library does when it is loaded, before DllMain, kept in one
// translation unit because the order is part of the contract: the window
// messages first, then the JSON reader's character table.
#include <windows.h>

#include "frame/window_messages.h"
#include "ult/json/character_table.h"

namespace {

AnimationMessageIds RegisterAnimationMessages() {
    return {RegisterWindowMessageA("kt_animation_start"),
            RegisterWindowMessageA(" kt_animation_frame"),  // the leading blank is part of the name
            RegisterWindowMessageA("kt_animation_end")};
}

struct LoadTimeState {
    AnimationMessageIds messages;
    LoadTimeState() : messages(RegisterAnimationMessages()) { ult::json::build_character_table(); }
};

const LoadTimeState g_loadTimeState;

}  // namespace

const AnimationMessageIds& AnimationMessages() { return g_loadTimeState.messages; }
