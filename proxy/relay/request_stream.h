#pragma once
// The browser's side of one relay connection, cut into what must be sent
// upstream: each request's head (request line in origin form and the filtered
// header block), then its body as framed by Content-Length or by chunks, and
// after a CONNECT every byte unchanged.
//
// The stream only parses; the caller owns the sockets. It appends what it
// reads to Input() and calls Next() until Next() asks for more:
//
//   WaitRequest --request line--> ReadHeaders --blank line--+--> Tunnel (CONNECT)
//        ^                                                  +--> ForwardBody --body done--+
//        +--------------------------------------------------+--(no body)                  |
//        +------------------------------------------------------------------------------- +
//
// Memory is bounded by the limits below plus one read: a request line or a
// header block that outgrows them fails the stream.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "proxy/relay/byte_queue.h"
#include "proxy/relay/http_request.h"

namespace relay {

// Far beyond any real request line or header block; past these the peer is
// not a browser and the connection is not worth the memory.
constexpr std::size_t kMaxRequestLine = 64 * 1024;
constexpr std::size_t kMaxHeaderBlock = 256 * 1024;

enum class ConnectionState : std::uint32_t { WaitRequest = 0, ReadHeaders = 2, ForwardBody = 5, Tunnel = 6 };

class RequestStream {
public:
    // Told about every header line without a colon (forwarded all the same).
    using TraceSink = void (*)(std::string_view line);

    enum class Step {
        NeedMore,  // nothing more can be done with the bytes at hand
        Request,   // a request head is complete: see Request() and Head()
        Forward,   // bytes (body or tunnel) to send upstream as they are
        Fail,      // the browser sent something the relay cannot frame
    };
    struct Event {
        Step step = Step::NeedMore;
        std::string_view bytes;  // Forward only; valid until the next call
    };

    explicit RequestStream(TraceSink traceLineWithoutColon = nullptr) : trace_(traceLineWithoutColon) {}

    ByteQueue& Input() { return input_; }
    Event Next();

    ConnectionState State() const { return state_; }
    // The last request whose head was complete.
    const HttpRequestInfo& Request() const { return request_; }
    // Its request line in origin form followed by its filtered header block.
    const std::string& Head() const { return head_; }
    bool IsConnect() const { return request_.method == "CONNECT"; }

private:
    enum class Chunk { Size, Data, DataEnd, Trailer };

    Event WaitRequest();
    Event ReadHeaders();
    Event ForwardBody();
    Event ForwardChunked();
    Event EndHeaders();
    Event ForwardLine(std::size_t length);
    Event ForwardCounted(std::uint64_t& remaining);

    TraceSink trace_;
    ByteQueue input_;
    ConnectionState state_ = ConnectionState::WaitRequest;
    HttpRequestInfo request_;
    std::string line_;
    std::string head_;
    std::size_t header_bytes_ = 0;

    // Framing of the request being read or forwarded.
    bool has_length_ = false;
    std::int64_t content_length_ = 0;
    bool has_transfer_encoding_ = false;
    bool chunked_ = false;
    std::uint64_t body_remaining_ = 0;  // body bytes, or bytes of the current chunk
    Chunk chunk_ = Chunk::Size;
};

}  // namespace relay
