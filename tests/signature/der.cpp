#include "tests/signature/der.h"

#include <stdexcept>

namespace {

constexpr int kMaxDepth = 64;

std::size_t ReadLength(const std::uint8_t*& at, const std::uint8_t* end) {
    if (at == end) throw std::runtime_error("DER: length missing");
    const std::uint8_t first = *at++;
    if (first < 0x80) return first;
    const int digits = first & 0x7F;
    if (digits == 0 || digits > 4) throw std::runtime_error("DER: indefinite or oversized length");
    std::size_t length = 0;
    for (int i = 0; i < digits; ++i) {
        if (at == end) throw std::runtime_error("DER: length cut short");
        length = (length << 8) | *at++;
    }
    return length;
}

DerElement Parse(const std::uint8_t*& at, const std::uint8_t* end, int depth) {
    if (depth > kMaxDepth) throw std::runtime_error("DER: nested too deeply");
    if (at == end) throw std::runtime_error("DER: element missing");
    DerElement element;
    element.tag = *at++;
    if ((element.tag & 0x1F) == 0x1F) throw std::runtime_error("DER: multi-byte tag");
    const std::size_t length = ReadLength(at, end);
    if (length > static_cast<std::size_t>(end - at)) throw std::runtime_error("DER: element overruns its container");
    const std::uint8_t* const elementEnd = at + length;
    if (element.constructed()) {
        while (at != elementEnd) element.children.push_back(Parse(at, elementEnd, depth + 1));
    } else {
        element.contents.assign(at, elementEnd);
        at = elementEnd;
    }
    return element;
}

void AppendLength(Bytes& out, std::size_t length) {
    if (length < 0x80) {
        out.push_back(static_cast<std::uint8_t>(length));
        return;
    }
    Bytes digits;
    for (; length != 0; length >>= 8) digits.insert(digits.begin(), static_cast<std::uint8_t>(length));
    out.push_back(static_cast<std::uint8_t>(0x80 | digits.size()));
    out.insert(out.end(), digits.begin(), digits.end());
}

}  // namespace

DerElement ParseDer(const std::uint8_t* der, const std::uint8_t* end) { return Parse(der, end, 0); }

Bytes EncodeContents(const DerElement& element) {
    if (element.children.empty()) return element.contents;
    Bytes body;
    for (const DerElement& child : element.children) {
        const Bytes encoded = EncodeDer(child);
        body.insert(body.end(), encoded.begin(), encoded.end());
    }
    return body;
}

Bytes EncodeDer(const DerElement& element) {
    const Bytes body = EncodeContents(element);
    Bytes out{element.tag};
    AppendLength(out, body.size());
    out.insert(out.end(), body.begin(), body.end());
    return out;
}
