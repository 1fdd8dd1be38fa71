#pragma once
// The local relay: an HTTP proxy on 127.0.0.1 that carries every browser
// connection through the configured upstream proxy (SOCKS4, SOCKS4a, SOCKS5
// or an HTTP proxy that accepts CONNECT).
//
// Each connection is served by its own detached worker thread, the one that
// accepted it. The state the workers share with the relay (listener,
// upstream description, lock, stop event) is owned jointly, so destroying the
// relay never pulls it from under a worker that is still winding down.

#include <cstdint>
#include <memory>
#include <string>

class CSocketProxy {
public:
    CSocketProxy();
    // Stops the relay as Stop does.
    virtual ~CSocketProxy();

    CSocketProxy(const CSocketProxy&) = delete;
    CSocketProxy& operator=(const CSocketProxy&) = delete;

    // The upstream used by every upstream connection made from now on;
    // connections already made keep theirs. scheme is "socks4", "socks4a",
    // "socks5", "socks5h", "https" or "http" in any letter case; any other
    // scheme keeps the previous kind. port is taken modulo 2^16; name and id
    // are unused.
    void SetUpstream(const std::string& name, const std::string& host, const std::string& username,
                     const std::string& password, const std::string& scheme, int port, int id);

    // Listens on 127.0.0.1 at port or the first free port above it and
    // returns true with port set to the port bound. Fails for port 0, when
    // no port up to 65535 is free, and when the relay is already listening
    // (port then holds the port in use). A stopped relay does not start
    // again, nor does one whose threads could not be started.
    bool Start(std::uint16_t& port);

    // Closes the listener and tells every connection to end, without waiting
    // for them: each ends on its own soon after, closing what it owns.
    // Always true.
    bool Stop();

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};
