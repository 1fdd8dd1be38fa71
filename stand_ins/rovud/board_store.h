#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "frame/critical_section.h"

namespace rovud {

// Named boards of one process. Thread-safe.
class BoardStore {
public:
    static BoardStore& Instance();

    void Set(const std::wstring& name, std::vector<unsigned char> content);  // empty content removes the board
    std::vector<unsigned char> Get(const std::wstring& name) const;

private:
    mutable CriticalSection lock_;
    std::map<std::wstring, std::vector<unsigned char>> boards_;
};

}  // namespace rovud
