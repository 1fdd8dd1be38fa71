#pragma once
// A relay under test and the scripted upstreams most tests put behind it.

#include <cstdint>
#include <memory>
#include <string>

#include "proxy/relay/socket_proxy.h"
#include "tests/support/test_sockets.h"

// What the relay answers to a CONNECT once the tunnel stands.
inline const std::string kEstablished = "HTTP/1.0 200 Connection established\r\nProxy-agent: Quorvel2.0 Proxy \r\n\r\n";

// A started relay in front of the upstream given.
class TestRelay {
public:
    TestRelay(const std::string& scheme, std::uint16_t upstreamPort, const std::string& username = "",
              const std::string& password = "");
    std::uint16_t Port() const { return port_; }
    CSocketProxy& Proxy() { return *proxy_; }
    TestSocket Connect() const { return TestSocket::Connect(port_); }
    void Destroy() { proxy_.reset(); }

private:
    std::unique_ptr<CSocketProxy> proxy_ = std::make_unique<CSocketProxy>();
    std::uint16_t port_ = 0;
};

// A fresh browser connection sends request; what it receives until the
// relay closes it.
std::string ReceivedUntilClose(const TestRelay& relay, const std::string& request);

// A fresh browser connection sends request; the body of the response.
std::string ResponseBody(const TestRelay& relay, const std::string& request);

// Reads one SOCKS5 exchange without credentials and grants it; false when
// the bytes are not what a client sends. request receives the CONNECT request.
bool AcceptSocks5(TestSocket& connection, std::string* request = nullptr);

// After the handshake: answers every HTTP request on the connection, framed
// by Content-Length or chunks, with "HTTP/1.1 200 OK" and a body "#n" (n
// counts requests on this connection), recording each request's exact bytes.
void ServeOrigin(ScriptedPeer& peer, TestSocket& connection);

// A SOCKS5 upstream followed by ServeOrigin.
std::unique_ptr<ScriptedPeer> Socks5Origin();
