#include "proxy/relay/http_request.h"

#include <limits>

#include "proxy/ascii_case.h"

namespace relay {
namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool AllDigits(std::string_view text) {
    for (char c : text)
        if (!IsDigit(c)) return false;
    return !text.empty();
}

// "http://" and the like; a "://" further in (say, inside a query of an
// origin-form target) is not a scheme.
std::string_view StripScheme(std::string_view target) {
    const std::size_t separator = target.find("://");
    if (separator == std::string_view::npos || separator == 0 || !IsAlpha(target[0])) return target;
    for (char c : target.substr(0, separator))
        if (!IsAlpha(c) && !IsDigit(c) && c != '+' && c != '-' && c != '.') return target;
    return target.substr(separator + 3);
}

bool ParsePort(std::string_view text, std::uint16_t& port) {
    if (text.empty()) {
        port = 80;
        return true;
    }
    if (!AllDigits(text)) return false;
    const std::int64_t value = TextToInt(text);
    if (value < 1 || value > 65535) return false;
    port = static_cast<std::uint16_t>(value);
    return true;
}

bool ParseAuthority(std::string_view authority, std::string& host, std::uint16_t& port) {
    std::string_view hostText;
    std::string_view portText;
    if (!authority.empty() && authority[0] == '[') {
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos) return false;
        hostText = authority.substr(1, close - 1);
        const std::string_view after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after[0] != ':') return false;
            portText = after.substr(1);
        }
    } else {
        const std::size_t colon = authority.find(':');
        hostText = authority.substr(0, colon);
        if (colon != std::string_view::npos) portText = authority.substr(colon + 1);
    }
    if (hostText.empty() || !ParsePort(portText, port)) return false;
    // Control bytes and blanks have no place in a host, and would let a
    // request smuggle lines into an upstream proxy's CONNECT request.
    for (char c : hostText)
        if (static_cast<unsigned char>(c) <= ' ' || c == '\x7F') return false;
    host.assign(hostText);
    return true;
}

}  // namespace

bool TakeLine(ByteQueue& buffer, std::string& line) {
    const std::string_view pending = buffer.View();
    const std::size_t feed = pending.find('\n');
    if (feed == std::string_view::npos) return false;
    std::size_t length = feed;
    if (length > 0 && pending[length - 1] == '\r') --length;
    line.assign(pending.substr(0, length));
    buffer.Consume(feed + 1);
    return true;
}

bool ParseRequestLine(HttpRequestInfo& request, std::string_view line) {
    const std::size_t methodEnd = line.find(' ');
    if (methodEnd == std::string_view::npos || methodEnd == 0) return false;
    const std::string_view rest = line.substr(methodEnd + 1);
    const std::size_t targetEnd = rest.find(' ');
    if (targetEnd == std::string_view::npos) return false;

    const std::string_view target = StripScheme(rest.substr(0, targetEnd));
    const std::size_t authorityEnd = target.find_first_of("/?");
    const std::string_view authority = target.substr(0, authorityEnd);
    HttpRequestInfo parsed;
    if (!ParseAuthority(authority, parsed.host, parsed.port)) return false;
    if (authorityEnd == std::string_view::npos) {
        parsed.path = "/";
    } else {
        if (target[authorityEnd] != '/') parsed.path = "/";
        parsed.path.append(target.substr(authorityEnd));
    }
    parsed.method.assign(line.substr(0, methodEnd));
    parsed.version.assign(rest.substr(targetEnd + 1));
    request = std::move(parsed);
    return true;
}

ClassifiedHeader ClassifyHeaderLine(std::string_view line) {
    ClassifiedHeader result;
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0) {
        result.kind = HeaderLine::NoColon;
        return result;
    }
    const std::string_view name = line.substr(0, colon);
    const std::string_view value = Trim(line.substr(colon + 1));
    if (proxy::EqualsIgnoringAsciiCase(name, "Proxy-Connection")) {
        result.kind = HeaderLine::ProxyConnection;
    } else if (proxy::EqualsIgnoringAsciiCase(name, "Content-Length")) {
        // Eighteen significant digits always fit in 64 bits.
        const std::size_t significant = value.find_first_not_of('0');
        const bool fits = significant == std::string_view::npos || value.size() - significant <= 18;
        if (AllDigits(value) && fits) {
            result.kind = HeaderLine::ContentLength;
            result.content_length = TextToInt(value);
        } else {
            result.kind = HeaderLine::Malformed;
        }
    } else if (proxy::EqualsIgnoringAsciiCase(name, "Transfer-Encoding")) {
        result.kind = HeaderLine::TransferEncoding;
        result.value = value;
    }
    return result;
}

bool IsChunkedCoding(std::string_view codings) {
    const std::size_t comma = codings.rfind(',');
    const std::string_view last = comma == std::string_view::npos ? codings : codings.substr(comma + 1);
    return proxy::EqualsIgnoringAsciiCase(Trim(last), "chunked");
}

std::int64_t TextToInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    std::int64_t magnitude = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        const int digit = text[i] - '0';
        if (magnitude > (kMax - digit) / 10) return negative ? std::numeric_limits<std::int64_t>::min() : kMax;
        magnitude = magnitude * 10 + digit;
    }
    return negative ? -magnitude : magnitude;
}

std::string IntToText(std::int64_t value) { return std::to_string(value); }

}  // namespace relay
