#include "proxy/relay/request_stream.h"

#include "ult/hex_digit.h"

namespace relay {
namespace {

// "1a2b", optionally followed by blanks and ";extensions". Fifteen
// significant hex digits keep the size well inside 64 bits.
bool ParseChunkSize(std::string_view line, std::uint64_t& size) {
    std::size_t i = 0;
    std::uint64_t value = 0;
    int significant = 0;
    for (; i < line.size() && ult::HexDigitValue(line[i]) >= 0; ++i) {
        value = value * 16 + static_cast<std::uint64_t>(ult::HexDigitValue(line[i]));
        if (value != 0 && ++significant > 15) return false;
    }
    if (i == 0) return false;
    for (; i < line.size(); ++i) {
        if (line[i] == ';') break;
        if (line[i] != ' ' && line[i] != '\t' && line[i] != '\r') return false;
    }
    size = value;
    return true;
}

std::size_t LineLength(std::string_view bytes, std::size_t feed) {
    return feed > 0 && bytes[feed - 1] == '\r' ? feed - 1 : feed;
}

}  // namespace

RequestStream::Event RequestStream::Next() {
    switch (state_) {
        case ConnectionState::WaitRequest:
            return WaitRequest();
        case ConnectionState::ReadHeaders:
            return ReadHeaders();
        case ConnectionState::ForwardBody:
            return chunked_ ? ForwardChunked() : ForwardBody();
        case ConnectionState::Tunnel:
            break;
    }
    if (input_.Empty()) return {};
    const std::size_t n = input_.Size();
    const Event event{Step::Forward, input_.View()};
    input_.Consume(n);
    return event;
}

RequestStream::Event RequestStream::WaitRequest() {
    for (;;) {
        if (!TakeLine(input_, line_)) {
            if (input_.Size() > kMaxRequestLine) return {Step::Fail, {}};
            return {};
        }
        if (line_.size() > kMaxRequestLine) return {Step::Fail, {}};
        if (!line_.empty()) break;  // blank lines between requests are tolerated
    }
    if (!ParseRequestLine(request_, line_)) return {Step::Fail, {}};
    head_.clear();
    head_.append(request_.method).append(" ").append(request_.path).append(" ").append(request_.version);
    head_.append("\r\n");
    header_bytes_ = 0;
    has_length_ = false;
    content_length_ = 0;
    has_transfer_encoding_ = false;
    chunked_ = false;
    state_ = ConnectionState::ReadHeaders;
    return ReadHeaders();
}

RequestStream::Event RequestStream::ReadHeaders() {
    while (TakeLine(input_, line_)) {
        header_bytes_ += line_.size() + 2;
        if (header_bytes_ > kMaxHeaderBlock) return {Step::Fail, {}};
        if (line_.empty()) return EndHeaders();

        const ClassifiedHeader header = ClassifyHeaderLine(line_);
        switch (header.kind) {
            case HeaderLine::ProxyConnection:
                continue;
            case HeaderLine::Malformed:
                return {Step::Fail, {}};
            case HeaderLine::ContentLength:
                // Two different lengths leave the body's end open to
                // interpretation, which is how requests get smuggled.
                if (has_length_ && content_length_ != header.content_length) return {Step::Fail, {}};
                has_length_ = true;
                content_length_ = header.content_length;
                break;
            case HeaderLine::TransferEncoding:
                has_transfer_encoding_ = true;
                chunked_ = IsChunkedCoding(header.value);
                break;
            case HeaderLine::NoColon:
                if (trace_ != nullptr) trace_(line_);
                break;
            case HeaderLine::Ordinary:
                break;
        }
        head_.append(line_).append("\r\n");
    }
    if (header_bytes_ + input_.Size() > kMaxHeaderBlock) return {Step::Fail, {}};
    return {};
}

RequestStream::Event RequestStream::EndHeaders() {
    head_.append("\r\n");
    if (IsConnect()) {
        state_ = ConnectionState::Tunnel;
        return {Step::Request, {}};
    }
    if (has_transfer_encoding_) {
        // A body framed two ways, or by a coding whose end cannot be found,
        // cannot be forwarded safely.
        if (!chunked_ || has_length_) return {Step::Fail, {}};
        chunk_ = Chunk::Size;
        header_bytes_ = 0;  // now counts trailer bytes
        state_ = ConnectionState::ForwardBody;
    } else if (content_length_ > 0) {
        body_remaining_ = static_cast<std::uint64_t>(content_length_);
        state_ = ConnectionState::ForwardBody;
    } else {
        state_ = ConnectionState::WaitRequest;
    }
    return {Step::Request, {}};
}

RequestStream::Event RequestStream::ForwardBody() {
    const Event event = ForwardCounted(body_remaining_);
    if (body_remaining_ == 0) state_ = ConnectionState::WaitRequest;
    return event;
}

RequestStream::Event RequestStream::ForwardCounted(std::uint64_t& remaining) {
    const std::uint64_t available = input_.Size();
    const std::size_t n = static_cast<std::size_t>(available < remaining ? available : remaining);
    if (n == 0) return {};
    const Event event{Step::Forward, input_.View().substr(0, n)};
    input_.Consume(n);
    remaining -= n;
    return event;
}

RequestStream::Event RequestStream::ForwardLine(std::size_t length) {
    const Event event{Step::Forward, input_.View().substr(0, length)};
    input_.Consume(length);
    return event;
}

RequestStream::Event RequestStream::ForwardChunked() {
    if (chunk_ == Chunk::Data) {
        const Event event = ForwardCounted(body_remaining_);
        if (body_remaining_ == 0) chunk_ = Chunk::DataEnd;
        return event;
    }
    // Size lines, the line ending a chunk's data and trailer lines are
    // forwarded whole, as received.
    const std::string_view bytes = input_.View();
    const std::size_t feed = bytes.find('\n');
    if (feed == std::string_view::npos) {
        const std::size_t limit = chunk_ == Chunk::Trailer ? kMaxHeaderBlock - header_bytes_ : kMaxRequestLine;
        return bytes.size() > limit ? Event{Step::Fail, {}} : Event{};
    }
    const std::string_view line = bytes.substr(0, LineLength(bytes, feed));
    switch (chunk_) {
        case Chunk::Size:
            if (line.size() > kMaxRequestLine || !ParseChunkSize(line, body_remaining_)) return {Step::Fail, {}};
            chunk_ = body_remaining_ == 0 ? Chunk::Trailer : Chunk::Data;
            break;
        case Chunk::DataEnd:
            if (!line.empty()) return {Step::Fail, {}};
            chunk_ = Chunk::Size;
            break;
        case Chunk::Trailer:
            header_bytes_ += feed + 1;
            if (header_bytes_ > kMaxHeaderBlock) return {Step::Fail, {}};
            if (line.empty()) state_ = ConnectionState::WaitRequest;
            break;
        case Chunk::Data:
            break;
    }
    return ForwardLine(feed + 1);
}

}  // namespace relay
