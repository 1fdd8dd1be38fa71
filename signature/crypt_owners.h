#pragma once
// Move-only owners of the crypt32 objects that reading a signature hands out.
// Each releases its object however the reading ends.

#include <windows.h>
#include <wincrypt.h>

#include <memory>

namespace signature {

struct CertStoreCloser {
    void operator()(HCERTSTORE store) const { CertCloseStore(store, 0); }
};

struct CryptMsgCloser {
    void operator()(HCRYPTMSG message) const { CryptMsgClose(message); }
};

struct CertContextFreer {
    void operator()(PCCERT_CONTEXT certificate) const { CertFreeCertificateContext(certificate); }
};

// HCERTSTORE and HCRYPTMSG are both plain void pointers.
using ScopedCertStore = std::unique_ptr<void, CertStoreCloser>;
using ScopedCryptMsg = std::unique_ptr<void, CryptMsgCloser>;
using ScopedCertContext = std::unique_ptr<const CERT_CONTEXT, CertContextFreer>;

}  // namespace signature
