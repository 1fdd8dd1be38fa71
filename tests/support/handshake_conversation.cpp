#include "tests/support/handshake_conversation.h"

namespace relay_oracle {
namespace {

using relay::ReplyFrame;
using relay::TunnelHandshake;

// A handshake has at most greeting, credentials and connect request.
constexpr std::size_t kMostRequests = 3;

bool Same(const ReplyFrame& a, const ReplyFrame& b) { return a.status == b.status && a.length == b.length; }

std::string FramingFault(const TunnelHandshake& handshake, const ReplyFrame& grown, std::string_view received,
                         std::string_view behind) {
    if (!Same(grown, handshake.Frame(std::string(received) + std::string(behind))))
        return "framed otherwise with the bytes behind it";
    if (grown.status != ReplyFrame::Status::Whole) return "";
    if (grown.length == 0 || grown.length > received.size()) return "framed beyond what was received";
    const std::string_view reply = received.substr(0, grown.length);
    if (!Same(handshake.Frame(reply), grown)) return "framed otherwise alone";
    if (handshake.Frame(reply.substr(0, reply.size() - 1)).status == ReplyFrame::Status::Whole)
        return "whole before its last byte";
    return "";
}

}  // namespace

Conversation Converse(TunnelHandshake& handshake, std::string_view replies, std::size_t readSize) {
    Conversation result;
    std::string request;
    std::string received;
    result.status = handshake.Begin(request);
    while (result.status == TunnelHandshake::Status::Continue) {
        if (request.empty() || result.requests.size() == kMostRequests) {
            result.fault = "a step without a request";
            return result;
        }
        result.requests.push_back(request);
        ReplyFrame grown = handshake.Frame(received);
        while (grown.status == ReplyFrame::Status::Partial && !replies.empty()) {
            const std::size_t take = readSize < replies.size() ? readSize : replies.size();
            received.append(replies.substr(0, take));
            replies.remove_prefix(take);
            grown = handshake.Frame(received);
        }
        result.fault = FramingFault(handshake, grown, received, replies);
        if (!result.fault.empty() || grown.status == ReplyFrame::Status::Partial) return result;
        if (grown.status == ReplyFrame::Status::Malformed) {
            result.status = TunnelHandshake::Status::Failed;
            result.error = relay::HandshakeError::MalformedReply;
            return result;
        }
        result.status = handshake.OnReply(std::string_view(received).substr(0, grown.length), request);
        received.erase(0, grown.length);
    }
    result.error = handshake.Error();
    result.rest = received + std::string(replies);
    if (result.status == TunnelHandshake::Status::Established &&
        handshake.Frame(result.rest + "reply").status != ReplyFrame::Status::Malformed)
        result.fault = "a reply expected after the tunnel stands";
    return result;
}

}  // namespace relay_oracle
