#include "proxy/relay/socket_io.h"

#include <algorithm>
#include <climits>

namespace relay {
namespace {

constexpr std::size_t kChunk = 64 * 1024;

// select cannot wait on an event object, so a send blocked by a slow
// receiver looks at the stop event this often.
constexpr long kStopCheckMicroseconds = 50 * 1000;

enum class ReadResult { Data, WouldBlock, Closed, Failed };

ReadResult ReadSome(SOCKET socket, char* into, std::size_t capacity, int& count) {
    count = recv(socket, into, static_cast<int>(std::min<std::size_t>(capacity, INT_MAX)), 0);
    if (count > 0) return ReadResult::Data;
    if (count == 0) return ReadResult::Closed;
    return WSAGetLastError() == WSAEWOULDBLOCK ? ReadResult::WouldBlock : ReadResult::Failed;
}

bool WaitWritable(SOCKET socket, WSAEVENT stop) {
    for (;;) {
        if (IsSignalled(stop)) return false;
        fd_set writable;
        FD_ZERO(&writable);
        FD_SET(socket, &writable);
        fd_set failed = writable;
        timeval slice{0, kStopCheckMicroseconds};
        const int ready = select(0, nullptr, &writable, &failed, &slice);
        if (ready == SOCKET_ERROR || FD_ISSET(socket, &failed)) return false;
        if (ready > 0) return true;
    }
}

}  // namespace

bool ReceiveAvailable(SOCKET socket, ByteQueue& buffer, std::size_t budget) {
    if (socket == INVALID_SOCKET) return false;
    while (budget > 0) {
        const std::size_t capacity = std::min(kChunk, budget);
        int count = 0;
        const ReadResult result = ReadSome(socket, buffer.Reserve(capacity), capacity, count);
        buffer.Commit(result == ReadResult::Data ? static_cast<std::size_t>(count) : 0);
        if (result == ReadResult::WouldBlock) return true;
        if (result != ReadResult::Data) return false;
        // A short read drained the socket; another recv would only say so.
        if (static_cast<std::size_t>(count) < capacity) return true;
        budget -= static_cast<std::size_t>(count);
    }
    return true;
}

bool SendAll(SOCKET socket, std::string_view data, WSAEVENT stop) {
    if (socket == INVALID_SOCKET) return false;
    while (!data.empty()) {
        const int sent = send(socket, data.data(), static_cast<int>(std::min<std::size_t>(data.size(), INT_MAX)), 0);
        if (sent != SOCKET_ERROR) {
            data.remove_prefix(static_cast<std::size_t>(sent));
            continue;
        }
        // Would-block (10035) only means the send buffer is full.
        if (WSAGetLastError() != WSAEWOULDBLOCK || !WaitWritable(socket, stop)) return false;
    }
    return true;
}

bool RelayAvailable(SOCKET from, SOCKET to, WSAEVENT stop, TransferBuffer& buffer, RelayMode mode) {
    if (from == INVALID_SOCKET || to == INVALID_SOCKET) return false;
    const bool untilClose = mode == RelayMode::UntilClose;
    for (std::size_t moved = 0; untilClose || moved < kReadBudget;) {
        int count = 0;
        const ReadResult result = ReadSome(from, buffer.data(), TransferBuffer::kSize, count);
        // After an announced close everything has arrived; nothing more will.
        if (result == ReadResult::WouldBlock) return !untilClose;
        if (result != ReadResult::Data) return false;
        if (!SendAll(to, std::string_view(buffer.data(), static_cast<std::size_t>(count)), stop)) return false;
        if (!untilClose && static_cast<std::size_t>(count) < TransferBuffer::kSize) return true;
        moved += static_cast<std::size_t>(count);
    }
    return true;
}

}  // namespace relay
