// Browser requests through the relay to a scripted origin behind a SOCKS5
// proxy: what the origin receives, body framing across reads, reuse of the
// upstream connection, either side closing, and bad input that ends one
// connection while the relay goes on serving.

#include <windows.h>

#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tests/support/relay_harness.h"
#include "tests/support/test_sockets.h"

namespace {

class RequestHandling : public testing::Test {
protected:
    std::unique_ptr<ScriptedPeer> origin_ = Socks5Origin();
    TestRelay relay_{"socks5", origin_->Port()};

    std::string Body(TestSocket& browser) {
        std::string body;
        browser.ReadResponse(&body);
        return body;
    }

};

// Requests in origin form with filtered headers, bodies framed by length
// and by chunks arriving in pieces, and a request pipelined behind a body,
// all on one connection.
TEST_F(RequestHandling, OriginGetsEachRequestExactlyOnce) {
    TestSocket browser = relay_.Connect();
    for (const char* piece : {"GET http://127.0.0.1:81/a/b.html?x=1 HTTP/1.1\r\nHost: 127.0.0.1:81\r\n",
                              "PROXY-CONNECTION: keep-alive\r\nConnection: keep-alive\r\nX-Bare: lf\n\r\n",
                              "POST http://127.0.0.1:81/form HTTP/1.1\r\nContent-Length: 10\r\n", "\r\nabcd",
                              "efghijPOST http://127.0.0.1:81/c HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhel",
                              "lo\r\n0\r\n\r\nGET http://127.0.0.1:81/after HTTP/1.1\r\n\r\n"}) {
        ASSERT_TRUE(browser.Send(piece));
        Sleep(50);
    }
    for (const char* body : {"#1", "#2", "#3", "#4"}) EXPECT_EQ(Body(browser), body);
    EXPECT_EQ(origin_->Records(),
              (std::vector<std::string>{
                  "GET /a/b.html?x=1 HTTP/1.1\r\nHost: 127.0.0.1:81\r\nConnection: keep-alive\r\nX-Bare: lf\r\n\r\n",
                  "POST /form HTTP/1.1\r\nContent-Length: 10\r\n\r\nabcdefghij",
                  "POST /c HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n",
                  "GET /after HTTP/1.1\r\n\r\n"}));
}

TEST_F(RequestHandling, SameTargetReusesTheUpstreamConnectionAnotherTargetDoesNot) {
    TestSocket browser = relay_.Connect();
    ASSERT_TRUE(browser.Send("GET http://127.0.0.1:81/1 HTTP/1.1\r\n\r\n"));
    EXPECT_EQ(Body(browser), "#1");
    ASSERT_TRUE(browser.Send("GET http://127.0.0.1:81/2 HTTP/1.1\r\n\r\n"));
    EXPECT_EQ(Body(browser), "#2");
    EXPECT_EQ(origin_->Accepted(), 1);
    ASSERT_TRUE(browser.Send("GET http://127.0.0.1:82/3 HTTP/1.1\r\n\r\n"));
    EXPECT_EQ(Body(browser), "#1");
    EXPECT_EQ(origin_->Accepted(), 2);
}

TEST_F(RequestHandling, BrowserClosingClosesTheUpstreamConnection) {
    ScriptedPeer watcher([](ScriptedPeer& self, TestSocket& connection) {
        if (!AcceptSocks5(connection)) return;
        self.Record(connection.ReadUntil("\r\n\r\n"));
        connection.Send("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nhi");
        self.Record(connection.ClosedWithin(5000) ? "closed" : "open");
    });
    TestRelay relay("socks5", watcher.Port());
    TestSocket browser = relay.Connect();
    ASSERT_TRUE(browser.Send("GET http://127.0.0.1:81/ HTTP/1.1\r\n\r\n"));
    browser.ReadResponse();
    browser.Close();
    EXPECT_EQ(watcher.Records(2), (std::vector<std::string>{"GET / HTTP/1.1\r\n\r\n", "closed"}));
}

TEST_F(RequestHandling, UpstreamClosingDeliversEverythingThenClosesTheBrowser) {
    const std::string big(300000, 'z');
    ScriptedPeer closer([&big](ScriptedPeer&, TestSocket& connection) {
        if (!AcceptSocks5(connection)) return;
        connection.ReadUntil("\r\n\r\n");
        connection.Send("HTTP/1.0 200 OK\r\n\r\n" + big);
    });
    TestRelay relay("socks5", closer.Port());
    TestSocket browser = relay.Connect();
    ASSERT_TRUE(browser.Send("GET http://127.0.0.1:81/ HTTP/1.0\r\n\r\n"));
    const std::string received = browser.ReadToClose();
    EXPECT_TRUE(received == "HTTP/1.0 200 OK\r\n\r\n" + big) << received.size() << " bytes";  // not all printed
}

// A browser that closes its sending side after its request (as HTTP/1.0
// clients and `nc -N` do) still gets the whole response: the close reaches the
// origin as the end of the request, and the response comes back after it.
TEST_F(RequestHandling, HalfClosedBrowserStillReceivesTheWholeResponse) {
    const std::string big(700000, 'r');
    ScriptedPeer answersAtTheEnd([&big](ScriptedPeer& self, TestSocket& connection) {
        if (!AcceptSocks5(connection)) return;
        self.Record(connection.ReadToClose());
        connection.Send("HTTP/1.0 200 OK\r\n\r\n" + big);
    });
    TestRelay relay("socks5", answersAtTheEnd.Port());
    TestSocket browser = relay.Connect();
    ASSERT_TRUE(browser.Send("GET http://127.0.0.1:81/file HTTP/1.0\r\n\r\n"));
    shutdown(browser.Get(), SD_SEND);
    const std::string received = browser.ReadToClose();
    EXPECT_TRUE(received == "HTTP/1.0 200 OK\r\n\r\n" + big) << received.size() << " bytes";  // not all printed
    EXPECT_EQ(answersAtTheEnd.Records(), std::vector<std::string>{"GET /file HTTP/1.0\r\n\r\n"});
}

// Inside a CONNECT tunnel either side may half-close: the other direction
// goes on until it ends too.
TEST_F(RequestHandling, TunnelCarriesEachDirectionToItsOwnEnd) {
    const std::string upload(1 << 20, 'u');
    ScriptedPeer peer([](ScriptedPeer& self, TestSocket& connection) {
        if (!AcceptSocks5(connection)) return;
        const std::string request = connection.ReadToClose(60000);
        connection.Send("read " + std::to_string(request.size()));
        shutdown(connection.Get(), SD_SEND);
        self.Record(request);
    });
    TestRelay relay("socks5", peer.Port());
    TestSocket browser = relay.Connect();
    ASSERT_TRUE(browser.Send("CONNECT 127.0.0.1:443 HTTP/1.1\r\n\r\n"));
    EXPECT_EQ(browser.ReadUntil("\r\n\r\n"), kEstablished);
    ASSERT_TRUE(browser.Send(upload));
    shutdown(browser.Get(), SD_SEND);
    EXPECT_EQ(browser.ReadToClose(60000), "read " + std::to_string(upload.size()));
    EXPECT_TRUE(peer.Records(1) == std::vector<std::string>{upload});
}

TEST_F(RequestHandling, TunnelPeerThatClosesFirstStillHearsTheBrowser) {
    ScriptedPeer peer([](ScriptedPeer& self, TestSocket& connection) {
        if (!AcceptSocks5(connection)) return;
        connection.Send("hello, then nothing more from me");
        shutdown(connection.Get(), SD_SEND);
        self.Record(connection.ReadToClose());
    });
    TestRelay relay("socks5", peer.Port());
    TestSocket browser = relay.Connect();
    ASSERT_TRUE(browser.Send("CONNECT 127.0.0.1:443 HTTP/1.1\r\n\r\n"));
    EXPECT_EQ(browser.ReadToClose(), kEstablished + "hello, then nothing more from me");
    ASSERT_TRUE(browser.Send("the browser's last words"));
    browser.Close();
    EXPECT_EQ(peer.Records(1), std::vector<std::string>{"the browser's last words"});
}

TEST_F(RequestHandling, BadInputEndsOnlyItsConnection) {
    const std::string longLine = "GET http://127.0.0.1/" + std::string(70000, 'a') + " HTTP/1.1\r\n\r\n";
    const std::string hugeHeaders =
        "GET http://127.0.0.1/ HTTP/1.1\r\n" + std::string(300000, 'h') + "\r\n\r\n";
    for (const std::string& input : {
             longLine,
             hugeHeaders,
             std::string("GET http://127.0.0.1/ HTTP/1.1\r\nContent-Length: -5\r\n\r\n"),
             std::string("GET http://127.0.0.1/ HTTP/1.1\r\nContent-Length: 5x\r\n\r\n"),
             std::string("GET\r\n"),
             std::string("GET http://127.0.0.1/\r\n"),
             std::string("GET /no/host HTTP/1.1\r\n\r\n"),
             std::string("CONNECT 127.0.0.1:99999 HTTP/1.1\r\n\r\n"),
         }) {
        TestSocket browser = relay_.Connect();
        browser.Send(input);  // the relay may close before it has read everything
        EXPECT_EQ(browser.ReadToClose(), "") << input.substr(0, 60);
        EXPECT_EQ(ResponseBody(relay_, "GET http://127.0.0.1:99/fresh HTTP/1.1\r\n\r\n"), "#1");
    }
}

}  // namespace
