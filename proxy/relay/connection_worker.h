#pragma once
// One detached thread per browser connection.

#include <memory>

#include "proxy/relay/relay_shared.h"
#include "proxy/relay/win_handles.h"

namespace relay {

// Hands client to a new worker thread. False, with client closed, when no
// thread could be started.
bool StartWorker(UniqueSocket client, const std::shared_ptr<RelayShared>& shared);

}  // namespace relay
