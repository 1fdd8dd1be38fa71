#pragma once
// Detached worker threads, one per browser connection at a time; between
// connections a worker may wait for the next one (see RelayShared::Take).

#include <memory>

#include "proxy/relay/relay_shared.h"
#include "proxy/relay/win_handles.h"

namespace relay {

// Starts a worker that waits for connections handed to shared. False when
// no thread could be started.
bool StartWorker(const std::shared_ptr<RelayShared>& shared);

}  // namespace relay
