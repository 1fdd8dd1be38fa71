#pragma once
// The relay's thread of last resort: while no worker waits and none can be
// started (a 32-bit process runs out of address space for thread stacks long
// before a browser runs out of connections), it turns each new connection
// away at once, so the browser sees a refusal rather than a request that
// hangs, and it keeps trying to start a worker so that serving resumes as
// soon as threads are free again.

#include <memory>

#include "proxy/relay/relay_shared.h"

namespace relay {

// False when its thread could not be started.
bool StartDoorkeeper(const std::shared_ptr<RelayShared>& shared);

}  // namespace relay
