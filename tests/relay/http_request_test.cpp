// Lines, request lines and header fields of a browser's proxy request.

#include "proxy/relay/http_request.h"

#include <cstdint>
#include <limits>
#include <string>

#include "gtest/gtest.h"
#include "proxy/relay/upstream_info.h"

namespace {

using relay::ClassifyHeaderLine;
using relay::HeaderLine;
using relay::HttpRequestInfo;

TEST(TakeLine, CutsAtEachLineFeedAndDropsOnlyTheCarriageReturnBeforeIt) {
    relay::ByteQueue buffer;
    buffer.Append("a\rb\r\n\nsecond\nthird");
    std::string line;
    for (const char* expected : {"a\rb", "", "second"}) {
        ASSERT_TRUE(relay::TakeLine(buffer, line));
        EXPECT_EQ(line, expected);
    }
    EXPECT_FALSE(relay::TakeLine(buffer, line));
    EXPECT_EQ(line, "second");  // untouched without a complete line
    EXPECT_EQ(buffer.View(), "third");
}

TEST(RequestLine, Parses) {
    const struct {
        const char* line;
        const char* host;
        std::uint16_t port;
        const char* path;
        const char* method;
        const char* version;
    } cases[] = {
        {"GET http://host.test/a/b.html?x=1 HTTP/1.1", "host.test", 80, "/a/b.html?x=1", "GET", "HTTP/1.1"},
        {"GET http://host.test:8080/p HTTP/1.1", "host.test", 8080, "/p", "GET", "HTTP/1.1"},
        {"GET http://host.test HTTP/1.0", "host.test", 80, "/", "GET", "HTTP/1.0"},
        {"CONNECT host.test:443 HTTP/1.1", "host.test", 443, "/", "CONNECT", "HTTP/1.1"},
        {"GET http://host.test/a:b HTTP/1.1", "host.test", 80, "/a:b", "GET", "HTTP/1.1"},
        {"GET http://host.test?q=1 HTTP/1.1", "host.test", 80, "/?q=1", "GET", "HTTP/1.1"},
        {"POST HTTP://Host.Test:81/x HTTP/1.1", "Host.Test", 81, "/x", "POST", "HTTP/1.1"},
        {"GET http://host.test:/x HTTP/1.1", "host.test", 80, "/x", "GET", "HTTP/1.1"},
        {"CONNECT [::1]:443 HTTP/1.1", "::1", 443, "/", "CONNECT", "HTTP/1.1"},
        {"GET http://[::1]:8080/ HTTP/1.1", "::1", 8080, "/", "GET", "HTTP/1.1"},
        {"GET http://[fe80::1]/x HTTP/1.1", "fe80::1", 80, "/x", "GET", "HTTP/1.1"},
        {"GET ftp://host.test/f HTTP/1.1", "host.test", 80, "/f", "GET", "HTTP/1.1"},
        {"GET http://host.test/?u=http://other/ HTTP/1.1", "host.test", 80, "/?u=http://other/", "GET", "HTTP/1.1"},
    };
    for (const auto& c : cases) {
        HttpRequestInfo request;
        ASSERT_TRUE(relay::ParseRequestLine(request, c.line)) << c.line;
        EXPECT_EQ(request.host, c.host) << c.line;
        EXPECT_EQ(request.port, c.port) << c.line;
        EXPECT_EQ(request.path, c.path) << c.line;
        EXPECT_EQ(request.method, c.method) << c.line;
        EXPECT_EQ(request.version, c.version) << c.line;
    }
}

TEST(RequestLine, Rejects) {
    for (const char* line : {
             "GET",                                  // method alone
             "GET http://host.test/",                // no version
             " http://host.test/ HTTP/1.1",          // no method
             "GET http:///x HTTP/1.1",               // no host
             "GET /only/a/path HTTP/1.1",            // origin form names no host
             "GET /r?u=http://host.test/ HTTP/1.1",  // a scheme inside the query is not the target's
             "CONNECT host.test:0 HTTP/1.1",         // port out of range
             "CONNECT host.test:65536 HTTP/1.1",
             "CONNECT host.test:4x3 HTTP/1.1",
             "CONNECT host.test:-1 HTTP/1.1",
             "CONNECT [::1 HTTP/1.1",      // unclosed bracket
             "CONNECT [::1]x HTTP/1.1",    // junk after the bracket
             "CONNECT a\rb:443 HTTP/1.1",  // control byte in the host
         }) {
        HttpRequestInfo request;
        request.host = "kept";
        EXPECT_FALSE(relay::ParseRequestLine(request, line)) << line;
        EXPECT_EQ(request.host, "kept") << "a failed parse leaves the record alone: " << line;
    }
}

TEST(HeaderLine, Kinds) {
    const struct {
        const char* line;
        HeaderLine kind;
        std::int64_t length;
    } cases[] = {
        {"Proxy-Connection: keep-alive", HeaderLine::ProxyConnection, 0},
        {"proxy-CONNECTION: close", HeaderLine::ProxyConnection, 0},
        {"Connection: keep-alive", HeaderLine::Ordinary, 0},
        {"X-Note: Proxy-Connection", HeaderLine::Ordinary, 0},
        {"no colon here", HeaderLine::NoColon, 0},
        {": starts with one", HeaderLine::NoColon, 0},
        {"content-LENGTH:  42 ", HeaderLine::ContentLength, 42},
        {"Content-Length: 0000000000000000000000000005000000000", HeaderLine::ContentLength, 5000000000},
        {"Content-Length: -1", HeaderLine::Malformed, 0},
        {"Content-Length: ", HeaderLine::Malformed, 0},
        {"Content-Length: 12abc", HeaderLine::Malformed, 0},
        {"Content-Length: +5", HeaderLine::Malformed, 0},
        {"Content-Length: 1 2", HeaderLine::Malformed, 0},
        {"Content-Length: 9999999999999999999", HeaderLine::Malformed, 0},
    };
    for (const auto& c : cases) {
        const auto header = ClassifyHeaderLine(c.line);
        EXPECT_EQ(header.kind, c.kind) << c.line;
        if (c.kind == HeaderLine::ContentLength) {
            EXPECT_EQ(header.content_length, c.length) << c.line;
        }
    }
    const auto coding = ClassifyHeaderLine("Transfer-Encoding: gzip, Chunked");
    EXPECT_EQ(coding.kind, HeaderLine::TransferEncoding);
    EXPECT_TRUE(relay::IsChunkedCoding(coding.value));
    EXPECT_FALSE(relay::IsChunkedCoding("chunked, gzip"));
}

TEST(TextToInt, ReadsLikeFormattedStreamInput) {
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    const std::pair<const char*, std::int64_t> cases[] = {
        {"123", 123}, {"  \t42xyz", 42}, {"-17", -17}, {"+8", 8}, {"", 0}, {"abc", 0}, {"- 5", 0},
        {"99999999999999999999", kMax}, {"-99999999999999999999", -kMax - 1},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(relay::TextToInt(text), value) << text;
    EXPECT_EQ(relay::IntToText(-12345), "-12345");
}

TEST(UpstreamScheme, AnyLetterCaseAndNothingElse) {
    using relay::UpstreamKind;
    EXPECT_EQ(relay::KindFromScheme("SOCKS5"), UpstreamKind::Socks5);
    EXPECT_EQ(relay::KindFromScheme("Socks5H"), UpstreamKind::Socks5h);
    EXPECT_EQ(relay::KindFromScheme("Socks4A"), UpstreamKind::Socks4a);
    EXPECT_EQ(relay::KindFromScheme("socks4"), UpstreamKind::Socks4);
    EXPECT_EQ(relay::KindFromScheme("HTTPS"), UpstreamKind::Https);
    EXPECT_EQ(relay::KindFromScheme("http"), UpstreamKind::Http);
    EXPECT_FALSE(relay::KindFromScheme("ftp"));
    EXPECT_FALSE(relay::KindFromScheme("socks"));
}

}  // namespace
