#pragma once
// Blocking loopback sockets for the relay's tests, every wait bounded, and a
// scripted peer that plays an upstream proxy (or an origin) byte by byte.

#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

constexpr DWORD kIoTimeoutMs = 15000;

class TestSocket {
public:
    TestSocket() = default;
    explicit TestSocket(SOCKET socket);
    TestSocket(TestSocket&& other) noexcept;
    TestSocket& operator=(TestSocket&& other) noexcept;
    TestSocket(const TestSocket&) = delete;
    TestSocket& operator=(const TestSocket&) = delete;
    ~TestSocket();

    static TestSocket Connect(std::uint16_t port);

    bool Valid() const { return socket_ != INVALID_SOCKET; }
    SOCKET Get() const { return socket_; }
    bool Send(std::string_view data);
    // Sends data one byte per segment, with a short pause between, as a
    // server that splits everything would.
    bool SendByteByByte(std::string_view data);
    // Up to n bytes; fewer on close, error or timeout.
    std::string Read(std::size_t n, DWORD timeoutMs = kIoTimeoutMs);
    // Up to and including marker; what came when the peer closed or time ran out otherwise.
    std::string ReadUntil(std::string_view marker, DWORD timeoutMs = kIoTimeoutMs);
    // Head and body of one HTTP response framed by Content-Length.
    std::string ReadResponse(std::string* body = nullptr, DWORD timeoutMs = kIoTimeoutMs);
    // Everything until the peer closes.
    std::string ReadToClose(DWORD timeoutMs = kIoTimeoutMs);
    // True when the peer closes (or resets) within the time; fails on data.
    bool ClosedWithin(DWORD timeoutMs);
    void Close();

private:
    bool SetTimeout(DWORD timeoutMs);
    SOCKET socket_ = INVALID_SOCKET;
};

// Listens on 127.0.0.1 at a free port and runs script on every accepted
// connection, each in its own thread.
class ScriptedPeer {
public:
    using Script = std::function<void(ScriptedPeer& self, TestSocket& connection)>;
    explicit ScriptedPeer(Script script);
    ~ScriptedPeer();
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    std::uint16_t Port() const { return port_; }
    int Accepted() const { return accepted_.load(); }

    // What scripts recorded, in order (thread-safe), once there are at least
    // atLeast records or kIoTimeoutMs have passed.
    void Record(std::string bytes);
    std::vector<std::string> Records(std::size_t atLeast = 0);

private:
    void AcceptLoop();

    Script script_;
    SOCKET listener_ = INVALID_SOCKET;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> accepted_{0};
    std::thread acceptor_;
    std::mutex lock_;
    std::vector<std::thread> connections_;
    std::vector<std::string> records_;
};

// A port on 127.0.0.1 where nothing listens (found free, then released).
std::uint16_t UnusedPort();

std::string Octets(std::initializer_list<int> bytes);
