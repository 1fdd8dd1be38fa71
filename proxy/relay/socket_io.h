#pragma once
// Non-blocking socket transfers for the relay's workers. Every wait here also
// watches the relay's stop event.

#include <cstddef>
#include <memory>
#include <string_view>

#include "proxy/relay/byte_queue.h"
#include "proxy/relay/win_handles.h"

namespace relay {

// Bytes moved per readiness notification at most, so that one busy direction
// cannot keep a worker from the other direction or from the stop event. Data
// left unread makes Winsock signal read readiness again.
constexpr std::size_t kReadBudget = 256 * 1024;

// Appends to buffer what can be read now, up to budget bytes. False when the
// socket is invalid, the peer has closed, or a read fails other than by
// would-block; true otherwise, also when nothing was read.
bool ReceiveAvailable(SOCKET socket, ByteQueue& buffer, std::size_t budget = kReadBudget);

// Sends all of data, waiting while the receiver is slow. False when the
// socket is invalid, a send fails, or the relay is stopping.
bool SendAll(SOCKET socket, std::string_view data, WSAEVENT stop);

// One connection's staging area for copying between its sockets.
class TransferBuffer {
public:
    static constexpr std::size_t kSize = 64 * 1024;
    char* data() { return bytes_.get(); }

private:
    std::unique_ptr<char[]> bytes_ = std::make_unique<char[]>(kSize);
};

enum class RelayMode {
    Available,   // what can be read now, up to kReadBudget bytes
    UntilClose,  // everything the peer sent before the close it announced
};

// Copies from one socket to the other. False when either socket is invalid,
// from's peer has closed (after what came before the close has been copied),
// or a transfer fails.
bool RelayAvailable(SOCKET from, SOCKET to, WSAEVENT stop, TransferBuffer& buffer,
                    RelayMode mode = RelayMode::Available);

}  // namespace relay
