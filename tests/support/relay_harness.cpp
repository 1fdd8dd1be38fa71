#include "tests/support/relay_harness.h"

#include "gtest/gtest.h"

TestRelay::TestRelay(const std::string& scheme, std::uint16_t upstreamPort, const std::string& username,
                     const std::string& password) {
    proxy_->SetUpstream("test", "127.0.0.1", username, password, scheme, upstreamPort, 1);
    std::uint16_t port = UnusedPort();
    EXPECT_TRUE(proxy_->Start(port));
    port_ = port;
}

std::string ReceivedUntilClose(const TestRelay& relay, const std::string& request) {
    TestSocket browser = relay.Connect();
    EXPECT_TRUE(browser.Send(request));
    return browser.ReadToClose();
}

std::string ResponseBody(const TestRelay& relay, const std::string& request) {
    TestSocket browser = relay.Connect();
    EXPECT_TRUE(browser.Send(request));
    std::string body;
    browser.ReadResponse(&body);
    return body;
}

bool AcceptSocks5(TestSocket& connection, std::string* request) {
    if (connection.Read(3) != Octets({5, 1, 0})) return false;
    if (!connection.SendByteByByte(Octets({5, 0}))) return false;
    std::string connect = connection.Read(5);
    if (connect.size() != 5 || connect.substr(0, 4) != Octets({5, 1, 0, connect[3]})) return false;
    const int type = connect[3];
    const std::size_t rest = type == 1 ? 3 + 2 : type == 4 ? 15 + 2 : static_cast<unsigned char>(connect[4]) + 2;
    connect += connection.Read(rest);
    if (request) *request = connect;
    return connection.SendByteByByte(Octets({5, 0, 0, 1, 127, 0, 0, 1, 0, 80}));
}

void ServeOrigin(ScriptedPeer& peer, TestSocket& connection) {
    for (int count = 1;; ++count) {
        std::string request = connection.ReadUntil("\r\n\r\n");
        if (request.find("\r\n\r\n") == std::string::npos) return;
        const std::size_t length = request.find("Content-Length: ");
        if (length != std::string::npos) {
            request += connection.Read(std::stoul(request.substr(length + 16)));
        } else if (request.find("Transfer-Encoding: chunked") != std::string::npos) {
            request += connection.ReadUntil("\r\n0\r\n\r\n");
        }
        peer.Record(request);
        const std::string body = "#" + std::to_string(count);
        if (!connection.Send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body))
            return;
    }
}

std::unique_ptr<ScriptedPeer> Socks5Origin() {
    return std::make_unique<ScriptedPeer>([](ScriptedPeer& self, TestSocket& connection) {
        if (AcceptSocks5(connection)) ServeOrigin(self, connection);
    });
}
