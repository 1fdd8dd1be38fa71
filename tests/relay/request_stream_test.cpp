// The browser's byte stream cut into request heads and forwarded bytes: the
// rewrite of each request, body framing and limits, each read whole, in every
// split in two and byte by byte.

#include "proxy/relay/request_stream.h"

#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tests/support/request_transcript.h"

namespace {

using relay_oracle::RequestTranscript;
using relay_oracle::SplitDisagreement;

std::string Whole(const std::string& input) { return RequestTranscript({input}); }

struct Conversation {
    std::string input;
    std::string transcript;
};

// Each accepted on its own and all of them in a row on one connection (the
// CONNECT last, since a tunnel takes everything behind it).
const Conversation kAccepted[] = {
    {"GET http://host.test/a/b.html?x=1 HTTP/1.1\r\nHost: host.test\r\nProxy-Connection: keep-alive\r\n"
     "proxy-connection: close\r\nConnection: keep-alive\r\nX-Why: Proxy-Connection\nodd line\r\n\r\n",
     "R<host.test:80|GET /a/b.html?x=1 HTTP/1.1\r\nHost: host.test\r\nConnection: keep-alive\r\n"
     "X-Why: Proxy-Connection\r\nodd line\r\n\r\n>"},
    {"\r\n\nGET http://h/ HTTP/1.1\r\n\r\n", "R<h:80|GET / HTTP/1.1\r\n\r\n>"},
    {"POST http://g:81/ HTTP/1.1\r\ncontent-length: 3\r\n\r\nxyz",
     "R<g:81|POST / HTTP/1.1\r\ncontent-length: 3\r\n\r\n>F<xyz>"},
    {"POST http://h/ HTTP/1.1\r\nContent-Length: 2\r\ncontent-length: 2\r\n\r\nok",
     "R<h:80|POST / HTTP/1.1\r\nContent-Length: 2\r\ncontent-length: 2\r\n\r\n>F<ok>"},
    {"PUT http://[::1]:82/c HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n"
     "4;ext=1\r\nWiki\r\n0A\r\n0123456789\r\n0\r\nTrailer: t\r\n\r\n",
     "R<::1:82|PUT /c HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n>"
     "F<4;ext=1\r\nWiki\r\n0A\r\n0123456789\r\n0\r\nTrailer: t\r\n\r\n>"},
    {"CONNECT host.test:443 HTTP/1.1\r\nHost: host.test:443\r\n\r\n\x16\x03\x01 tunnel bytes",
     "R<host.test:443|CONNECT / HTTP/1.1\r\nHost: host.test:443\r\n\r\n>F<\x16\x03\x01 tunnel bytes>"},
};

void ExpectSameInEveryReading(const Conversation& c) {
    EXPECT_EQ(Whole(c.input), c.transcript);
    for (std::size_t cut = 1; cut < c.input.size(); ++cut)
        ASSERT_EQ(SplitDisagreement(c.input, cut), "");
    std::vector<std::string_view> bytes;
    for (std::size_t i = 0; i < c.input.size(); ++i) bytes.push_back(std::string_view(c.input).substr(i, 1));
    EXPECT_EQ(RequestTranscript(bytes), c.transcript);
}

TEST(RequestStream, AcceptedConversations) {
    Conversation all;
    for (const Conversation& c : kAccepted) {
        SCOPED_TRACE(c.input);
        ExpectSameInEveryReading(c);
        all.input += c.input;
        all.transcript += c.transcript;
    }
    ExpectSameInEveryReading(all);
}

TEST(RequestStream, BodyIsForwardedBeforeItIsWhole) {
    EXPECT_EQ(Whole("POST http://h/p HTTP/1.1\r\nContent-Length: 10\r\n\r\nabcd"),
              "R<h:80|POST /p HTTP/1.1\r\nContent-Length: 10\r\n\r\n>F<abcd>");
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
         })
        EXPECT_EQ(Whole(input).back(), '!') << input;
}

TEST(RequestStream, RequestLineAndHeaderBlockLimits) {
    const std::string line = "GET http://h/" + std::string(relay::kMaxRequestLine - 22, 'a') + " HTTP/1.1";
    ASSERT_EQ(line.size(), relay::kMaxRequestLine);
    EXPECT_EQ(Whole(line + "\r\n\r\n").substr(0, 2), "R<");
    EXPECT_EQ(Whole("G" + line + "\r\n\r\n"), "!");
    // Without a line end the stream gives up as soon as a limit is passed.
    const std::string endless(relay::kMaxRequestLine, 'a');
    EXPECT_EQ(RequestTranscript({endless}), "");
    EXPECT_EQ(RequestTranscript({endless, "a"}), "!");

    const std::string field = "X-Fill: " + std::string(1000 - 10, 'f') + "\r\n";
    std::string fields;
    for (std::size_t i = 0; i < relay::kMaxHeaderBlock / field.size(); ++i) fields += field;
    EXPECT_EQ(Whole("GET http://h/ HTTP/1.1\r\n" + fields + "\r\n").substr(0, 2), "R<");
    EXPECT_EQ(Whole("GET http://h/ HTTP/1.1\r\n" + fields + field + "\r\n"), "!");
    EXPECT_EQ(Whole("GET http://h/ HTTP/1.1\r\n" + std::string(relay::kMaxHeaderBlock + 1, 'h')), "!");
}

}  // namespace
