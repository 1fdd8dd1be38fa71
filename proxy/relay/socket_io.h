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
constexpr std::size_t kReadBudget = 1024 * 1024;

// Sends all of data, waiting while the receiver is slow. False when the
// socket is invalid, a send fails, or the relay is stopping.
bool SendAll(SOCKET socket, std::string_view data, WSAEVENT stop);

// One connection's staging area for copying between its sockets. It starts
// small and grows while reads keep filling it, so a bulk transfer needs few
// calls per megabyte (each costs a round trip to the Wine server) while the
// many quiet connections of a browser stay cheap.
class TransferBuffer {
public:
    static constexpr std::size_t kInitialSize = 16 * 1024;
    static constexpr std::size_t kMaxSize = 256 * 1024;

    char* data() { return bytes_.get(); }
    std::size_t size() const { return size_; }
    // Called when a read filled the buffer.
    void Filled() {
        if (size_ >= kMaxSize) return;
        size_ *= 2;
        bytes_ = std::make_unique<char[]>(size_);
    }

private:
    std::size_t size_ = kInitialSize;
    std::unique_ptr<char[]> bytes_ = std::make_unique<char[]>(kInitialSize);
};

// What became of the connection a read drew from.
enum class Flow {
    Open,        // it may bring more
    PeerClosed,  // its peer closed after everything read so far
    Broken,      // a socket is invalid, or a read or send failed
};

// Reads until a read would block, so that a close which came with the data
// is seen even when its notification was taken by the wait for that data.
//
// Appends to buffer what can be read now, up to kReadBudget bytes, staged
// through scratch. Open also when nothing was read.
Flow ReceiveAvailable(SOCKET socket, ByteQueue& buffer, TransferBuffer& scratch);

// Whether socket's peer has closed, without taking anything from it: for a
// socket whose close may have come before it was associated with its event.
Flow PeekForClose(SOCKET socket);

// Copies what can be read now, up to kReadBudget bytes, from one socket to
// the other; PeerClosed once everything from's peer sent before its close
// has been copied.
Flow RelayAvailable(SOCKET from, SOCKET to, WSAEVENT stop, TransferBuffer& buffer);

}  // namespace relay
