#pragma once
// Runs a function on a new thread whose stack is only `bytes` long, and waits for it.

#include <cstddef>
#include <functional>

namespace regex_test {

// False when the thread could not be started.
bool RunOnSmallStack(std::size_t bytes, const std::function<void()>& body);

}  // namespace regex_test
