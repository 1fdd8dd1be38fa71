#pragma once
// Detached worker threads, one per browser connection at a time; between
// connections a worker may wait to accept the next one (see
// RelayShared::Accept).

#include <memory>

#include "proxy/relay/relay_shared.h"
#include "proxy/relay/win_handles.h"

namespace relay {

// Starts a worker that accepts connections on shared's listener. False, and
// the relay told it is short of workers, when no thread could be started.
bool StartWorker(const std::shared_ptr<RelayShared>& shared);

}  // namespace relay
