// The browser's byte stream cut into request heads and forwarded bytes: the
// rewrite of each request, body framing, limits, and the same input fed in
// every possible split giving the same result.

#include "proxy/relay/request_stream.h"

#include <string>
#include <vector>

#include "gtest/gtest.h"

namespace {

using relay::ConnectionState;
using relay::RequestStream;

// What the stream asked the relay to do, as text: R<host:port|head> for a
// request, F<bytes> for bytes forwarded (runs merged), ! for a failure.
std::string Transcript(const std::vector<std::string>& pieces, RequestStream* kept = nullptr) {
    RequestStream local;
    RequestStream& stream = kept ? *kept : local;
    std::string text;
    std::string forwarded;
    auto flush = [&] {
        if (!forwarded.empty()) text += "F<" + forwarded + ">";
        forwarded.clear();
    };
    for (const std::string& piece : pieces) {
        stream.Input().Append(piece);
        for (bool more = true; more;) {
            const RequestStream::Event event = stream.Next();
            switch (event.step) {
                case RequestStream::Step::NeedMore:
                    more = false;
                    break;
                case RequestStream::Step::Fail:
                    flush();
                    return text + "!";
                case RequestStream::Step::Forward:
                    forwarded.append(event.bytes);
                    break;
                case RequestStream::Step::Request:
                    flush();
                    text += "R<" + stream.Request().host + ":" + std::to_string(stream.Request().port) + "|" +
                            stream.Head() + ">";
                    break;
            }
        }
    }
    flush();
    return text;
}

std::string Whole(const std::string& input) { return Transcript({input}); }

TEST(RequestStream, RewritesToOriginFormAndFiltersHeaders) {
    EXPECT_EQ(Whole("GET http://host.test/a/b.html?x=1 HTTP/1.1\r\n"
                    "Host: host.test\r\n"
                    "Proxy-Connection: keep-alive\r\n"
                    "proxy-connection: close\r\n"
                    "Connection: keep-alive\r\n"
                    "X-Why: Proxy-Connection\n"
                    "\r\n"),
              "R<host.test:80|GET /a/b.html?x=1 HTTP/1.1\r\n"
              "Host: host.test\r\n"
              "Connection: keep-alive\r\n"
              "X-Why: Proxy-Connection\r\n"
              "\r\n>");
}

TEST(RequestStream, SkipsBlankLinesBeforeARequest) {
    EXPECT_EQ(Whole("\r\n\nGET http://h/ HTTP/1.1\r\n\r\n"), "R<h:80|GET / HTTP/1.1\r\n\r\n>");
}

TEST(RequestStream, BodyIsForwardedAsItArrives) {
    RequestStream stream;
    stream.Input().Append("POST http://h/p HTTP/1.1\r\nContent-Length: 10\r\n\r\nabcd");
    ASSERT_EQ(stream.Next().step, RequestStream::Step::Request);
    EXPECT_EQ(stream.State(), ConnectionState::ForwardBody);
    RequestStream::Event event = stream.Next();
    ASSERT_EQ(event.step, RequestStream::Step::Forward);
    EXPECT_EQ(event.bytes, "abcd");
    EXPECT_EQ(stream.Next().step, RequestStream::Step::NeedMore);
    stream.Input().Append("efghij");
    event = stream.Next();
    ASSERT_EQ(event.step, RequestStream::Step::Forward);
    EXPECT_EQ(event.bytes, "efghij");
    EXPECT_EQ(stream.State(), ConnectionState::WaitRequest);
}

TEST(RequestStream, BodyLengthInAnyLetterCase) {
    EXPECT_EQ(Whole("POST http://h/ HTTP/1.1\r\ncontent-length: 3\r\n\r\nxyzGET http://h/ HTTP/1.1\r\n\r\n"),
              "R<h:80|POST / HTTP/1.1\r\ncontent-length: 3\r\n\r\n>F<xyz>R<h:80|GET / HTTP/1.1\r\n\r\n>");
}

TEST(RequestStream, PipelinedRequestBehindABodyIsHandledAtOnce) {
    EXPECT_EQ(Whole("POST http://h/ HTTP/1.1\r\nContent-Length: 2\r\n\r\nokGET http://g:81/ HTTP/1.1\r\n\r\n"),
              "R<h:80|POST / HTTP/1.1\r\nContent-Length: 2\r\n\r\n>F<ok>R<g:81|GET / HTTP/1.1\r\n\r\n>");
}

TEST(RequestStream, ChunkedBodyIsForwardedByItsFraming) {
    const std::string body = "4;ext=1\r\nWiki\r\n0A\r\n0123456789\r\n0\r\nTrailer: t\r\n\r\n";
    EXPECT_EQ(Whole("POST http://h/ HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n" + body +
                    "GET http://h/next HTTP/1.1\r\n\r\n"),
              "R<h:80|POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n>F<" + body +
                  ">R<h:80|GET /next HTTP/1.1\r\n\r\n>");
}

TEST(RequestStream, ConnectBecomesATunnelAndKeepsBytesBehindItsHead) {
    RequestStream stream;
    EXPECT_EQ(Transcript({"CONNECT host.test:443 HTTP/1.1\r\nHost: host.test:443\r\n\r\n\x16\x03\x01", "more"},
                         &stream),
              "R<host.test:443|CONNECT / HTTP/1.1\r\nHost: host.test:443\r\n\r\n>F<\x16\x03\x01more>");
    EXPECT_EQ(stream.State(), ConnectionState::Tunnel);
    EXPECT_TRUE(stream.IsConnect());
}

TEST(RequestStream, LinesWithoutColonAreTracedAndForwarded) {
    static std::string traced;
    traced.clear();
    RequestStream stream([](std::string_view line) { traced += std::string(line) + "|"; });
    EXPECT_EQ(Transcript({"GET http://h/ HTTP/1.1\r\nodd line\r\n\r\n"}, &stream),
              "R<h:80|GET / HTTP/1.1\r\nodd line\r\n\r\n>");
    EXPECT_EQ(traced, "odd line|");
}

TEST(RequestStream, MalformedFramingEndsTheStream) {
    for (const char* input : {
             "GET\r\n",
             "GET http://h/\r\n",
             "POST http://h/ HTTP/1.1\r\nContent-Length: -4\r\n\r\n",
             "POST http://h/ HTTP/1.1\r\nContent-Length: x\r\n\r\n",
             "POST http://h/ HTTP/1.1\r\nContent-Length: 4\r\nContent-Length: 5\r\n\r\n",
             "POST http://h/ HTTP/1.1\r\nContent-Length: 4\r\nTransfer-Encoding: chunked\r\n\r\n",
             "POST http://h/ HTTP/1.1\r\nTransfer-Encoding: gzip\r\n\r\n",
             "POST http://h/ HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n",
             "POST http://h/ HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nabX\r\n",
             "POST http://h/ HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\nffffffffffffffff\r\n",
         }) {
        const std::string transcript = Whole(input);
        EXPECT_EQ(transcript.back(), '!') << input;
    }
    EXPECT_EQ(Whole("POST http://h/ HTTP/1.1\r\nContent-Length: 2\r\ncontent-length: 2\r\n\r\nok"),
              "R<h:80|POST / HTTP/1.1\r\nContent-Length: 2\r\ncontent-length: 2\r\n\r\n>F<ok>");
}

TEST(RequestStream, RequestLineLimit) {
    const std::string target = "GET http://h/" + std::string(relay::kMaxRequestLine - 22, 'a') + " HTTP/1.1";
    ASSERT_EQ(target.size(), relay::kMaxRequestLine);
    EXPECT_EQ(Whole(target + "\r\n\r\n").substr(0, 2), "R<");
    EXPECT_EQ(Whole("G" + target + "\r\n\r\n"), "!");
    // Without a line end the stream gives up as soon as the limit is passed,
    // however much more is coming.
    RequestStream stream;
    stream.Input().Append(std::string(relay::kMaxRequestLine, 'a'));
    EXPECT_EQ(stream.Next().step, RequestStream::Step::NeedMore);
    stream.Input().Append("a");
    EXPECT_EQ(stream.Next().step, RequestStream::Step::Fail);
}

TEST(RequestStream, HeaderBlockLimit) {
    const std::string line = "X-Fill: " + std::string(1000 - 10, 'f') + "\r\n";  // 1000 bytes
    std::string headers;
    for (std::size_t i = 0; i < relay::kMaxHeaderBlock / 1000; ++i) headers += line;
    EXPECT_EQ(Whole("GET http://h/ HTTP/1.1\r\n" + headers + "\r\n").substr(0, 2), "R<");
    EXPECT_EQ(Whole("GET http://h/ HTTP/1.1\r\n" + headers + line + "\r\n"), "!");
    RequestStream stream;
    stream.Input().Append("GET http://h/ HTTP/1.1\r\n" + std::string(relay::kMaxHeaderBlock + 1, 'h'));
    EXPECT_EQ(stream.Next().step, RequestStream::Step::Fail);
}

// Every way of splitting a conversation in two, and byte by byte, must give
// the transcript of reading it whole.
TEST(RequestStream, EverySplitGivesTheSameTranscript) {
    const std::string conversation =
        "\r\nGET http://a.test/x HTTP/1.1\r\nHost: a\r\nProxy-Connection: keep-alive\r\n\r\n"
        "POST http://a.test:81/p HTTP/1.1\r\nContent-Length: 5\r\n\r\nhello"
        "PUT http://[::1]:82/c HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n0\r\n\r\n"
        "CONNECT b.test:443 HTTP/1.1\r\nHost: b\r\n\r\ntunnel bytes";
    const std::string whole = Whole(conversation);
    ASSERT_EQ(whole.find('!'), std::string::npos) << whole;
    for (std::size_t split = 1; split < conversation.size(); ++split)
        ASSERT_EQ(Transcript({conversation.substr(0, split), conversation.substr(split)}), whole) << split;
    std::vector<std::string> bytes;
    for (char c : conversation) bytes.emplace_back(1, c);
    EXPECT_EQ(Transcript(bytes), whole);
}

}  // namespace
