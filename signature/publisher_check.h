#pragma once
// Who signed a file: whether the Authenticode signature embedded in it was
// made with a certificate that bears a given name. Only the signature's
// structure is read. No chain is built, no revocation is asked for and the
// file's hash is not recomputed, so the answer says who signed the file, not
// whether to trust it.

namespace signature {

// The values are the exported function's results.
enum class Verdict : int {
    kNoReadableSignature = 0,  // no embedded signature, or its signer or signer certificate is unreadable
    kMissingArgument = 1,      // a null or empty argument; nothing was read
    kOtherPublisher = 2,
    kPublisher = 3,  // the certificate's simple display name equals the publisher name, letter case ignored
};

// Throws std::bad_alloc only, when a signature too large for memory is read.
[[nodiscard]] Verdict CheckPublisher(const wchar_t* filePath, const wchar_t* publisherName);

}  // namespace signature
