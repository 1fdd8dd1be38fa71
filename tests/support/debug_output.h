#pragma once
// Every OutputDebugString line of this process, collected while this lives.
// The call raises an exception carrying the text, which a vectored handler
// sees before the system consumes it.

#include <string>
#include <vector>

class DebugOutput {
public:
    DebugOutput();
    ~DebugOutput();
    DebugOutput(const DebugOutput&) = delete;
    DebugOutput& operator=(const DebugOutput&) = delete;

    std::vector<std::string> Lines() const;
    bool Contains(const std::string& text) const;

private:
    void* handler_;
};
