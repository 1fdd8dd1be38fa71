#include <cstring>
#include <string>
#include <vector>

#include "stand_ins/rovud/board_store.h"
#include "stand_ins/rovud/broadcaster.h"
#include "stand_ins/rovud/rovud.h"

namespace {

thread_local int t_registrations = 0;

}  // namespace

bool __cdecl KtGetGlobalBoard(const wchar_t* name, ult::dst_buf<unsigned char>* dst) {
    if (name == nullptr || dst == nullptr) return false;
    const std::vector<unsigned char> content = rovud::BoardStore::Instance().Get(name);
    if (content.empty()) return false;
    unsigned char* target = dst->grow(content.size());
    if (target == nullptr) return false;
    std::memcpy(target, content.data(), content.size());
    return true;
}

int __cdecl RoVudEnterCurrentThread() { return ++t_registrations; }

int __cdecl RoVudLeaveCurrentThread() {
    if (t_registrations > 0) --t_registrations;
    return t_registrations;
}

void* __cdecl RoVudCreateBroadcastListener(const wchar_t* name, RoVudBroadcastRoutine routine, void* context) {
    if (name == nullptr || routine == nullptr || t_registrations == 0) return nullptr;
    return rovud::Broadcaster::Instance().Add(name, routine, context);
}

bool __cdecl RoVudDestoryListener(void* handle) { return rovud::Broadcaster::Instance().Remove(handle); }

bool __cdecl RoVudSetGlobalBoard(const wchar_t* name, const unsigned char* data, unsigned size) {
    if (name == nullptr || (data == nullptr && size != 0)) return false;
    rovud::BoardStore::Instance().Set(name, std::vector<unsigned char>(data, data + size));
    return true;
}

unsigned __cdecl RoVudBroadcast(const wchar_t* name, const wchar_t* message, unsigned chars) {
    if (name == nullptr || (message == nullptr && chars != 0)) return 0;
    // Two more NULs, so a receiver reading key and value never runs past
    // the end of a message that lacks its own.
    std::wstring copy(message, message + chars);
    copy.append(2, L'\0');
    return rovud::Broadcaster::Instance().Send(name, copy);
}
