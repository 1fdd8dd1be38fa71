#pragma once
// Owners of the crypt32 objects that reading a signature hands out. Each
// releases its object however the reading ends.

#include <windows.h>
#include <wincrypt.h>

#include "frame/unique_object.h"

namespace signature {

struct CertStoreTraits {
    using Value = HCERTSTORE;
    static Value Invalid() { return nullptr; }
    static void Close(Value store) { CertCloseStore(store, 0); }
};

struct CryptMsgTraits {
    using Value = HCRYPTMSG;
    static Value Invalid() { return nullptr; }
    static void Close(Value message) { CryptMsgClose(message); }
};

struct CertContextTraits {
    using Value = PCCERT_CONTEXT;
    static Value Invalid() { return nullptr; }
    static void Close(Value certificate) { CertFreeCertificateContext(certificate); }
};

using ScopedCertStore = UniqueObject<CertStoreTraits>;
using ScopedCryptMsg = UniqueObject<CryptMsgTraits>;
using ScopedCertContext = UniqueObject<CertContextTraits>;

}  // namespace signature
