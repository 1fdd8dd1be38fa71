#pragma once
// The threads of a relay (workers and the doorkeeper). Each holds its own
// reference on the shared state, so that the relay and its owner may go while
// the thread is still finishing.

#include <memory>

#include "proxy/relay/relay_shared.h"

namespace relay {

using RelayRoutine = void (*)(const std::shared_ptr<RelayShared>& shared);

// False when no thread could be started.
bool StartRelayThread(RelayRoutine routine, const std::shared_ptr<RelayShared>& shared, SIZE_T stackReservation);

}  // namespace relay
