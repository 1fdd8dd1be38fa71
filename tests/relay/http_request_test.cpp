// Lines, request lines and header fields of a browser's proxy request.

#include "proxy/relay/http_request.h"

#include <cstdint>
#include <limits>
#include <string>

#include "gtest/gtest.h"
#include "proxy/relay/upstream_info.h"

namespace {

using relay::ByteQueue;
using relay::ClassifyHeaderLine;
using relay::HeaderLine;
using relay::HttpRequestInfo;
using relay::ParseRequestLine;
using relay::TakeLine;
using relay::TextToInt;

TEST(TakeLine, CutsAtTheFirstLineFeedAndDropsOnlyTheCarriageReturnBeforeIt) {
    ByteQueue buffer;
    buffer.Append("a\rb\r\nsecond\nthird");
    std::string line;
    ASSERT_TRUE(TakeLine(buffer, line));
    EXPECT_EQ(line, "a\rb");
    ASSERT_TRUE(TakeLine(buffer, line));
    EXPECT_EQ(line, "second");
    EXPECT_FALSE(TakeLine(buffer, line));
    EXPECT_EQ(line, "second");  // untouched without a complete line
    EXPECT_EQ(buffer.View(), "third");
}

TEST(TakeLine, EmptyLines) {
    ByteQueue buffer;
    buffer.Append("\r\n\n");
    std::string line = "x";
    ASSERT_TRUE(TakeLine(buffer, line));
    EXPECT_EQ(line, "");
    ASSERT_TRUE(TakeLine(buffer, line));
    EXPECT_EQ(line, "");
    EXPECT_TRUE(buffer.Empty());
}

struct RequestLineCase {
    const char* line;
    const char* host;
    std::uint16_t port;
    const char* path;
    const char* method;
    const char* version;
};

class RequestLineTable : public testing::TestWithParam<RequestLineCase> {};

TEST_P(RequestLineTable, Parses) {
    const RequestLineCase& c = GetParam();
    HttpRequestInfo request;
    ASSERT_TRUE(ParseRequestLine(request, c.line)) << c.line;
    EXPECT_EQ(request.host, c.host);
    EXPECT_EQ(request.port, c.port);
    EXPECT_EQ(request.path, c.path);
    EXPECT_EQ(request.method, c.method);
    EXPECT_EQ(request.version, c.version);
}

INSTANTIATE_TEST_SUITE_P(
    Targets, RequestLineTable,
    testing::Values(
        RequestLineCase{"GET http://host.test/a/b.html?x=1 HTTP/1.1", "host.test", 80, "/a/b.html?x=1", "GET",
                        "HTTP/1.1"},
        RequestLineCase{"GET http://host.test:8080/p HTTP/1.1", "host.test", 8080, "/p", "GET", "HTTP/1.1"},
        RequestLineCase{"GET http://host.test HTTP/1.0", "host.test", 80, "/", "GET", "HTTP/1.0"},
        RequestLineCase{"CONNECT host.test:443 HTTP/1.1", "host.test", 443, "/", "CONNECT", "HTTP/1.1"},
        RequestLineCase{"GET http://host.test/a:b HTTP/1.1", "host.test", 80, "/a:b", "GET", "HTTP/1.1"},
        RequestLineCase{"GET http://host.test?q=1 HTTP/1.1", "host.test", 80, "/?q=1", "GET", "HTTP/1.1"},
        RequestLineCase{"POST HTTP://Host.Test:81/x HTTP/1.1", "Host.Test", 81, "/x", "POST", "HTTP/1.1"},
        RequestLineCase{"GET http://host.test:/x HTTP/1.1", "host.test", 80, "/x", "GET", "HTTP/1.1"},
        RequestLineCase{"CONNECT [::1]:443 HTTP/1.1", "::1", 443, "/", "CONNECT", "HTTP/1.1"},
        RequestLineCase{"GET http://[::1]:8080/ HTTP/1.1", "::1", 8080, "/", "GET", "HTTP/1.1"},
        RequestLineCase{"GET http://[fe80::1]/x HTTP/1.1", "fe80::1", 80, "/x", "GET", "HTTP/1.1"},
        RequestLineCase{"GET ftp://host.test/f HTTP/1.1", "host.test", 80, "/f", "GET", "HTTP/1.1"},
        RequestLineCase{"GET http://host.test/?u=http://other/ HTTP/1.1", "host.test", 80, "/?u=http://other/",
                        "GET", "HTTP/1.1"}));

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
             "CONNECT [::1 HTTP/1.1",    // unclosed bracket
             "CONNECT [::1]x HTTP/1.1",  // junk after the bracket
             "CONNECT a\rb:443 HTTP/1.1",  // control byte in the host
         }) {
        HttpRequestInfo request;
        request.host = "kept";
        EXPECT_FALSE(ParseRequestLine(request, line)) << line;
        EXPECT_EQ(request.host, "kept") << "a failed parse leaves the record alone: " << line;
    }
}

TEST(HeaderLine, FieldNamesInAnyLetterCase) {
    EXPECT_EQ(ClassifyHeaderLine("Proxy-Connection: keep-alive").kind, HeaderLine::ProxyConnection);
    EXPECT_EQ(ClassifyHeaderLine("proxy-CONNECTION: close").kind, HeaderLine::ProxyConnection);
    EXPECT_EQ(ClassifyHeaderLine("Connection: keep-alive").kind, HeaderLine::Ordinary);
    EXPECT_EQ(ClassifyHeaderLine("X-Note: Proxy-Connection").kind, HeaderLine::Ordinary);
    const auto length = ClassifyHeaderLine("content-LENGTH:  42 ");
    EXPECT_EQ(length.kind, HeaderLine::ContentLength);
    EXPECT_EQ(length.content_length, 42);
    const auto coding = ClassifyHeaderLine("Transfer-Encoding: gzip, Chunked");
    EXPECT_EQ(coding.kind, HeaderLine::TransferEncoding);
    EXPECT_TRUE(relay::IsChunkedCoding(coding.value));
    EXPECT_FALSE(relay::IsChunkedCoding("chunked, gzip"));
}

TEST(HeaderLine, LinesWithoutAName) {
    EXPECT_EQ(ClassifyHeaderLine("no colon here").kind, HeaderLine::NoColon);
    EXPECT_EQ(ClassifyHeaderLine(": starts with one").kind, HeaderLine::NoColon);
}

TEST(HeaderLine, BodyLengthsThatCannotFrameABody) {
    for (const char* line : {"Content-Length: -1", "Content-Length: ", "Content-Length: 12abc", "Content-Length: +5",
                             "Content-Length: 1 2", "Content-Length: 9999999999999999999"})
        EXPECT_EQ(ClassifyHeaderLine(line).kind, HeaderLine::Malformed) << line;
    const auto large = ClassifyHeaderLine("Content-Length: 0000000000000000000000000005000000000");
    EXPECT_EQ(large.kind, HeaderLine::ContentLength);
    EXPECT_EQ(large.content_length, 5000000000);
}

TEST(TextToInt, ReadsLikeFormattedStreamInput) {
    EXPECT_EQ(TextToInt("123"), 123);
    EXPECT_EQ(TextToInt("  \t42xyz"), 42);
    EXPECT_EQ(TextToInt("-17"), -17);
    EXPECT_EQ(TextToInt("+8"), 8);
    EXPECT_EQ(TextToInt(""), 0);
    EXPECT_EQ(TextToInt("abc"), 0);
    EXPECT_EQ(TextToInt("- 5"), 0);
    EXPECT_EQ(TextToInt("99999999999999999999"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(TextToInt("-99999999999999999999"), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(relay::IntToText(-12345), "-12345");
    EXPECT_EQ(relay::IntToText(65535), "65535");
}

TEST(UpstreamScheme, AnyLetterCaseAndNothingElse) {
    EXPECT_EQ(relay::KindFromScheme("SOCKS5"), relay::UpstreamKind::Socks5);
    EXPECT_EQ(relay::KindFromScheme("Socks5H"), relay::UpstreamKind::Socks5h);
    EXPECT_EQ(relay::KindFromScheme("Socks4A"), relay::UpstreamKind::Socks4a);
    EXPECT_EQ(relay::KindFromScheme("socks4"), relay::UpstreamKind::Socks4);
    EXPECT_EQ(relay::KindFromScheme("HTTPS"), relay::UpstreamKind::Https);
    EXPECT_EQ(relay::KindFromScheme("http"), relay::UpstreamKind::Http);
    EXPECT_FALSE(relay::KindFromScheme("ftp"));
    EXPECT_FALSE(relay::KindFromScheme("socks"));
}

}  // namespace
