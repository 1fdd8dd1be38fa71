#pragma once
// A Linux peer (tests/support/peer.py) started from a Windows test.
// Wine starts Unix programs but hands back no process handle and passes them
// no pipes, so the peer is tied to a lifeline instead: a loopback connection
// it makes back to the test, over which it reports and which this object
// closes on destruction (or the system closes when the test dies).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/test_sockets.h"

class PeerProcess {
public:
    explicit PeerProcess(const std::vector<std::string>& arguments, DWORD startTimeoutMs = 30000);
    ~PeerProcess();
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;

    // The next line the peer reports, without its line feed; nothing on
    // timeout or when the peer has gone.
    std::optional<std::string> ReadLine(DWORD timeoutMs);

    // For "serve" peers: the port of "READY port", 0 when it never came.
    std::uint16_t WaitReady(DWORD timeoutMs = 30000);

    // Stops the peer and waits (bounded) until it has stopped its program.
    void Stop();

private:
    TestSocket lifeline_;
    std::string pending_;
};

// Runs a Linux program through peer.py and waits for it: "EXIT code size
// verdict" parsed. check is as peer.py's run takes it.
struct RunResult {
    int exit_code = -1;
    std::uint64_t size = 0;
    bool verdict = false;
};
RunResult RunProgram(const std::string& check, const std::vector<std::string>& command, DWORD timeoutMs);
