#include "gtest/gtest.h"
#include "tests/relay/peer_process.h"
#include "tests/relay/relay_harness.h"

TEST(Smoke, Peer) {
    PeerProcess origin({"serve", "origin"});
    const std::uint16_t originPort = origin.WaitReady();
    ASSERT_NE(originPort, 0);
    PeerProcess socks({"serve", "socks5"});
    const std::uint16_t socksPort = socks.WaitReady();
    ASSERT_NE(socksPort, 0);
    TestRelay relay("socks5", socksPort);
    TestSocket client = relay.Connect();
    ASSERT_TRUE(client.Send("GET http://127.0.0.1:" + std::to_string(originPort) + "/bytes/10 HTTP/1.1\r\nHost: x\r\n\r\n"));
    std::string body;
    std::string response = client.ReadResponse(&body);
    EXPECT_EQ(body.size(), 10u) << response;
    const RunResult curl = RunProgram("bytes:100000", {"curl", "-s", "-x", "http://127.0.0.1:" + std::to_string(relay.Port()), "http://127.0.0.1:" + std::to_string(originPort) + "/bytes/100000"}, 30000);
    EXPECT_EQ(curl.exit_code, 0);
    EXPECT_TRUE(curl.verdict);
    EXPECT_EQ(curl.size, 100000u);
}
