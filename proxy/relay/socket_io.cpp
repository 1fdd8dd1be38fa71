#include "proxy/relay/socket_io.h"

#include <algorithm>
#include <climits>

namespace relay {
namespace {

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

Flow FlowAfter(ReadResult result) {
    switch (result) {
        case ReadResult::Data:
        case ReadResult::WouldBlock:
            return Flow::Open;
        case ReadResult::Closed:
            return Flow::PeerClosed;
        case ReadResult::Failed:
            break;
    }
    return Flow::Broken;
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

Flow ReceiveAvailable(SOCKET socket, ByteQueue& buffer, TransferBuffer& scratch) {
    if (socket == INVALID_SOCKET) return Flow::Broken;
    for (std::size_t received = 0; received < kReadBudget;) {
        int count = 0;
        const ReadResult result = ReadSome(socket, scratch.data(), scratch.size(), count);
        if (result != ReadResult::Data) return FlowAfter(result);
        buffer.Append(std::string_view(scratch.data(), static_cast<std::size_t>(count)));
        received += static_cast<std::size_t>(count);
        if (static_cast<std::size_t>(count) == scratch.size()) scratch.Filled();
    }
    return Flow::Open;
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

Flow PeekForClose(SOCKET socket) {
    char probe;
    const int count = recv(socket, &probe, 1, MSG_PEEK);
    if (count >= 0) return count == 0 ? Flow::PeerClosed : Flow::Open;
    return WSAGetLastError() == WSAEWOULDBLOCK ? Flow::Open : Flow::Broken;
}

Flow RelayAvailable(SOCKET from, SOCKET to, WSAEVENT stop, TransferBuffer& buffer) {
    if (from == INVALID_SOCKET || to == INVALID_SOCKET) return Flow::Broken;
    for (std::size_t moved = 0; moved < kReadBudget;) {
        int count = 0;
        const ReadResult result = ReadSome(from, buffer.data(), buffer.size(), count);
        if (result != ReadResult::Data) return FlowAfter(result);
        if (!SendAll(to, std::string_view(buffer.data(), static_cast<std::size_t>(count)), stop)) return Flow::Broken;
        moved += static_cast<std::size_t>(count);
        if (static_cast<std::size_t>(count) == buffer.size()) buffer.Filled();
    }
    return Flow::Open;
}

}  // namespace relay
