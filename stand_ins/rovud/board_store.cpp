#include "stand_ins/rovud/board_store.h"

namespace rovud {

BoardStore& BoardStore::Instance() {
    static BoardStore store;
    return store;
}

void BoardStore::Set(const std::wstring& name, std::vector<unsigned char> content) {
    const std::lock_guard<CriticalSection> hold(lock_);
    if (content.empty())
        boards_.erase(name);
    else
        boards_[name] = std::move(content);
}

std::vector<unsigned char> BoardStore::Get(const std::wstring& name) const {
    const std::lock_guard<CriticalSection> hold(lock_);
    const auto board = boards_.find(name);
    return board == boards_.end() ? std::vector<unsigned char>() : board->second;
}

}  // namespace rovud
