#pragma once
// The oracle of the tunnel handshake, shared by its unit test and its fuzz
// target: a proxy that sends the given bytes, in reads of a given size, and
// a check of how every reply is framed.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "proxy/relay/tunnel_handshake.h"

namespace relay_oracle {

struct Conversation {
    relay::TunnelHandshake::Status status = relay::TunnelHandshake::Status::Continue;
    relay::HandshakeError error = relay::HandshakeError::None;
    std::vector<std::string> requests;  // what the relay sent, in order
    std::string rest;                   // what the proxy sent behind the last reply
    std::string fault;                  // how the framing went wrong; empty when it did not
};

// Runs the handshake against a proxy whose every byte is in replies, read
// readSize bytes at a time. Continue at the end means the replies ran out.
// Each reply must be framed to the same byte whether it grows read by read,
// comes alone, or comes with everything behind it; it is never whole before
// its last byte, and once the tunnel stands no reply is expected.
Conversation Converse(relay::TunnelHandshake& handshake, std::string_view replies, std::size_t readSize);

}  // namespace relay_oracle
