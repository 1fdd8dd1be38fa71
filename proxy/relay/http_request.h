#pragma once
// The pieces of a browser's proxy request: lines, the request line, and the
// header fields that decide how the request is framed.

#include <cstdint>
#include <string>
#include <string_view>

#include "proxy/relay/byte_queue.h"

namespace relay {

struct HttpRequestInfo {
    std::string host;  // an IPv6 literal without its brackets
    std::uint16_t port = 0;
    std::string path;  // origin form, always starting with "/"
    std::string method;
    std::string version;
};

// Moves the text before the first line feed into line, without the carriage
// return directly before that line feed, and drops both from buffer. False,
// changing nothing, when buffer holds no line feed.
bool TakeLine(ByteQueue& buffer, std::string& line);

// "METHOD TARGET VERSION", the target in absolute form ("http://host:port/p")
// or authority form ("host:port"). The port defaults to 80. Fails when a space
// is missing, the target names no host, or its port is not 1 to 65535.
bool ParseRequestLine(HttpRequestInfo& request, std::string_view line);

// What a header line means for the relay. Field names are case-insensitive.
enum class HeaderLine {
    Ordinary,          // forwarded as it stands
    NoColon,           // forwarded too; worth a trace
    ProxyConnection,   // hop-by-hop: never forwarded
    ContentLength,     // value is a well-formed decimal length
    TransferEncoding,  // value lists codings; see IsChunkedCoding
    Malformed,         // a length that cannot frame a body
};

struct ClassifiedHeader {
    HeaderLine kind = HeaderLine::Ordinary;
    std::int64_t content_length = 0;  // ContentLength only
    std::string_view value;           // TransferEncoding only, trimmed
};

ClassifiedHeader ClassifyHeaderLine(std::string_view line);

// True when the last coding of a Transfer-Encoding value is "chunked".
bool IsChunkedCoding(std::string_view codings);

// Decimal text as formatted stream input reads it: leading blanks skipped, an
// optional sign, digits up to the first other character; 0 without digits.
// Values beyond the 64-bit range saturate.
std::int64_t TextToInt(std::string_view text);

std::string IntToText(std::int64_t value);

}  // namespace relay
