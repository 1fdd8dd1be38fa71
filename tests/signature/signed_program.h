#pragma once
// A signed Windows program split into the bytes before its certificate table
// and the signature that table holds, so that a test can put back another
// signature, or a damaged one, in its place.

#include <cstddef>

#include "tests/signature/der.h"

class SignedProgram {
public:
    // Throws std::runtime_error when `file` is not a program with a signature.
    explicit SignedProgram(const Bytes& file);

    const DerElement& signature() const { return signature_; }

    // The program carrying `signature` instead of its own.
    Bytes With(const DerElement& signature) const;

private:
    static constexpr std::size_t kCertificateHeader = 8;  // WIN_CERTIFICATE up to bCertificate

    Bytes unsignedPart_;               // everything before the certificate table
    std::size_t directoryEntry_ = 0;  // file offset of the certificate table's directory entry
    DerElement signature_;
};
