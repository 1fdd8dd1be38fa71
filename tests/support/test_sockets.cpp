#include "tests/support/test_sockets.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <utility>

#include "frame/tick_deadline.h"
#include "gtest/gtest.h"

namespace {

class WinsockEnvironment : public testing::Environment {
public:
    void SetUp() override {
        WSADATA data;
        ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    }
    void TearDown() override { WSACleanup(); }
};

[[maybe_unused]] testing::Environment* const kWinsock = testing::AddGlobalTestEnvironment(new WinsockEnvironment);

sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

}  // namespace

TestSocket::TestSocket(SOCKET socket) : socket_(socket) {}
TestSocket::TestSocket(TestSocket&& other) noexcept : socket_(std::exchange(other.socket_, INVALID_SOCKET)) {}
TestSocket& TestSocket::operator=(TestSocket&& other) noexcept {
    Close();
    socket_ = std::exchange(other.socket_, INVALID_SOCKET);
    return *this;
}
TestSocket::~TestSocket() { Close(); }

void TestSocket::Close() {
    if (socket_ != INVALID_SOCKET) closesocket(std::exchange(socket_, INVALID_SOCKET));
}

TestSocket TestSocket::Connect(std::uint16_t port) {
    TestSocket result(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    const sockaddr_in address = Loopback(port);
    if (!result.Valid() || connect(result.socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return TestSocket();
    const BOOL noDelay = TRUE;
    setsockopt(result.socket_, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay);
    return result;
}

bool TestSocket::SetTimeout(DWORD timeoutMs) {
    return setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeoutMs),
                      sizeof timeoutMs) == 0;
}

bool TestSocket::Send(std::string_view data) {
    // A peer that stops reading must fail the test, not hang it: each call
    // moves a slice under the time limit (Wine's blocking send does not even
    // return when the other side resets the connection).
    constexpr std::size_t kSlice = 64 * 1024;
    const DWORD timeoutMs = kIoTimeoutMs;
    if (setsockopt(socket_, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeoutMs), sizeof timeoutMs) != 0)
        return false;
    while (!data.empty()) {
        const int sent = send(socket_, data.data(), static_cast<int>(std::min(data.size(), kSlice)), 0);
        if (sent <= 0) return false;
        data.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

bool TestSocket::SendByteByByte(std::string_view data) {
    const BOOL noDelay = TRUE;
    setsockopt(socket_, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay);
    for (char c : data) {
        if (!Send(std::string_view(&c, 1))) return false;
        Sleep(1);
    }
    return true;
}

std::string TestSocket::Read(std::size_t n, DWORD timeoutMs) {
    std::string bytes;
    const TickDeadline deadline(timeoutMs);
    while (bytes.size() < n) {
        const DWORD remaining = deadline.RemainingMs();
        if (remaining == 0 || !SetTimeout(remaining)) break;
        char chunk[65536];
        const std::size_t want = n - bytes.size() < sizeof chunk ? n - bytes.size() : sizeof chunk;
        const int got = recv(socket_, chunk, static_cast<int>(want), 0);
        if (got <= 0) break;
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
    return bytes;
}

std::string TestSocket::ReadUntil(std::string_view marker, DWORD timeoutMs) {
    std::string bytes;
    const TickDeadline deadline(timeoutMs);
    while (bytes.find(marker) == std::string::npos) {
        const DWORD remaining = deadline.RemainingMs();
        if (remaining == 0) break;
        const std::string more = Read(1, remaining);
        if (more.empty()) break;
        bytes += more;
    }
    return bytes;
}

std::string TestSocket::ReadResponse(std::string* body, DWORD timeoutMs) {
    std::string head = ReadUntil("\r\n\r\n", timeoutMs);
    std::size_t length = 0;
    const std::size_t field = head.find("Content-Length: ");
    if (field != std::string::npos) length = std::stoul(head.substr(field + 16));
    std::string content = Read(length, timeoutMs);
    if (body) *body = content;
    return head + content;
}

std::string TestSocket::ReadToClose(DWORD timeoutMs) {
    std::string bytes;
    for (;;) {
        std::string more = Read(65536, timeoutMs);
        if (more.empty()) return bytes;
        bytes += more;
    }
}

bool TestSocket::ClosedWithin(DWORD timeoutMs) {
    if (!SetTimeout(timeoutMs)) return false;
    char c;
    const int got = recv(socket_, &c, 1, 0);
    return got == 0 || (got < 0 && WSAGetLastError() != WSAETIMEDOUT);
}

ScriptedPeer::ScriptedPeer(Script script) : script_(std::move(script)) {
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = Loopback(0);
    int size = sizeof address;
    if (listener_ == INVALID_SOCKET || bind(listener_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        listen(listener_, 64) != 0 || getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        ADD_FAILURE() << "scripted peer cannot listen";
        return;
    }
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { AcceptLoop(); });
}

ScriptedPeer::~ScriptedPeer() {
    stopping_ = true;
    if (acceptor_.joinable()) acceptor_.join();
    closesocket(listener_);
    for (std::thread& connection : connections_) connection.join();
}

void ScriptedPeer::AcceptLoop() {
    while (!stopping_) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(listener_, &readable);
        timeval slice{0, 20000};
        if (select(0, &readable, nullptr, nullptr, &slice) <= 0) continue;
        SOCKET accepted = accept(listener_, nullptr, nullptr);
        if (accepted == INVALID_SOCKET) continue;
        ++accepted_;
        std::lock_guard<std::mutex> hold(lock_);
        connections_.emplace_back([this, accepted] {
            TestSocket connection(accepted);
            script_(*this, connection);
        });
    }
}

void ScriptedPeer::Record(std::string bytes) {
    std::lock_guard<std::mutex> hold(lock_);
    records_.push_back(std::move(bytes));
}

std::vector<std::string> ScriptedPeer::Records(std::size_t atLeast) {
    const TickDeadline deadline(kIoTimeoutMs);
    for (;;) {
        {
            std::lock_guard<std::mutex> hold(lock_);
            if (records_.size() >= atLeast || deadline.RemainingMs() == 0) return records_;
        }
        Sleep(20);
    }
}

std::uint16_t UnusedPort() {
    SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = Loopback(0);
    int size = sizeof address;
    bind(probe, reinterpret_cast<sockaddr*>(&address), size);
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size);
    closesocket(probe);
    return ntohs(address.sin_port);
}

std::string Octets(std::initializer_list<int> bytes) {
    std::string result;
    for (int b : bytes) result.push_back(static_cast<char>(b));
    return result;
}
