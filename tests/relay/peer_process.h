#pragma once
// A Linux peer (tests/relay/peers/peer.py) started from a Windows test.
// Wine starts Unix programs but hands back no process handle, so the peer
// is tied to a lifeline instead: its standard input, which this object holds
// open and closes on destruction (or the system closes when the test dies).

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class PeerProcess {
public:
    explicit PeerProcess(const std::vector<std::string>& arguments);
    ~PeerProcess();
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;

    // The next line the peer prints, without its line feed; nothing on
    // timeout or when the peer has gone.
    std::optional<std::string> ReadLine(DWORD timeoutMs);

    // For "serve" peers: the port of "READY port", 0 when it never came.
    std::uint16_t WaitReady(DWORD timeoutMs = 30000);

    // Stops the peer and waits (bounded) until its output ends.
    void Stop();

private:
    HANDLE lifeline_ = nullptr;  // write end of the peer's standard input
    HANDLE output_ = nullptr;    // read end of its standard output
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
