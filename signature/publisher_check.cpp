#include "signature/publisher_check.h"

#include <cstring>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "signature/crypt_owners.h"

namespace signature {
namespace {

constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

// SpcSpOpusInfo: the program name and links a signer may attach. Its OID
// also names its structure type for CryptDecodeObject.
constexpr char kProgramInformationOid[] = "1.3.6.1.4.1.311.2.1.12";

struct EmbeddedSignature {
    ScopedCertStore certificates;  // every certificate the signature carries
    ScopedCryptMsg message;
};

std::optional<EmbeddedSignature> ReadEmbeddedSignature(const wchar_t* filePath) {
    HCERTSTORE store = nullptr;
    HCRYPTMSG message = nullptr;
    const BOOL read = CryptQueryObject(CERT_QUERY_OBJECT_FILE, filePath, CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED_EMBED,
                                       CERT_QUERY_FORMAT_FLAG_BINARY, 0, nullptr, nullptr, nullptr, &store,
                                       &message, nullptr);
    // Owned before anything is checked, so that a half-filled answer is released too.
    EmbeddedSignature embedded{ScopedCertStore(store), ScopedCryptMsg(message)};
    if (!read || !embedded.certificates || !embedded.message) return std::nullopt;
    return embedded;
}

// The first signer's CMSG_SIGNER_INFO followed by the data its pointers
// point into, in one zeroed block. The block comes from operator new, which
// aligns it for any structure.
std::optional<std::vector<BYTE>> FirstSignerInfo(HCRYPTMSG message) {
    DWORD size = 0;
    if (!CryptMsgGetParam(message, CMSG_SIGNER_INFO_PARAM, 0, nullptr, &size) || size < sizeof(CMSG_SIGNER_INFO))
        return std::nullopt;
    std::vector<BYTE> block(size);
    if (!CryptMsgGetParam(message, CMSG_SIGNER_INFO_PARAM, 0, block.data(), &size)) return std::nullopt;
    return block;
}

const CRYPT_ATTRIBUTE* FindAttribute(const CRYPT_ATTRIBUTES& attributes, const char* oid) {
    for (DWORD i = 0; i < attributes.cAttr; ++i) {
        const CRYPT_ATTRIBUTE& attribute = attributes.rgAttr[i];
        if (attribute.pszObjId != nullptr && std::strcmp(attribute.pszObjId, oid) == 0) return &attribute;
    }
    return nullptr;
}

// What the program information says plays no part in the verdict, but a
// signature whose program information is there and cannot be read is
// damaged, and a damaged signature names no publisher.
bool ProgramInformationReadable(const CMSG_SIGNER_INFO& signer) {
    const CRYPT_ATTRIBUTE* attribute = FindAttribute(signer.AuthAttrs, kProgramInformationOid);
    if (attribute == nullptr) return true;
    // An attribute whose set of values is empty has nothing to decode.
    if (attribute->cValue == 0 || attribute->rgValue == nullptr) return false;
    const CRYPT_ATTR_BLOB& value = attribute->rgValue[0];
    DWORD size = 0;
    if (!CryptDecodeObject(kEncoding, kProgramInformationOid, value.pbData, value.cbData, 0, nullptr, &size))
        return false;
    std::vector<BYTE> decoded(size);
    return CryptDecodeObject(kEncoding, kProgramInformationOid, value.pbData, value.cbData, 0, decoded.data(),
                             &size) != FALSE;
}

// The signature names its signer by issuer and serial number; the
// certificate itself is among those the signature carries, or nowhere.
ScopedCertContext FindSignerCertificate(HCERTSTORE certificates, const CMSG_SIGNER_INFO& signer) {
    CERT_INFO wanted{};
    wanted.Issuer = signer.Issuer;
    wanted.SerialNumber = signer.SerialNumber;
    return ScopedCertContext(
        CertFindCertificateInStore(certificates, kEncoding, 0, CERT_FIND_SUBJECT_CERT, &wanted, nullptr));
}

std::optional<std::wstring> SimpleDisplayName(PCCERT_CONTEXT certificate) {
    // Both lengths count the terminating NUL.
    const DWORD length = CertGetNameStringW(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, nullptr, 0);
    if (length == 0) return std::nullopt;
    std::wstring name(length, L'\0');
    if (CertGetNameStringW(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name.data(), length) == 0)
        return std::nullopt;
    name.resize(std::wcslen(name.c_str()));
    return name;
}

}  // namespace

Verdict CheckPublisher(const wchar_t* filePath, const wchar_t* publisherName) {
    if (filePath == nullptr || *filePath == L'\0' || publisherName == nullptr || *publisherName == L'\0')
        return Verdict::kMissingArgument;

    const std::optional<EmbeddedSignature> signature = ReadEmbeddedSignature(filePath);
    if (!signature) return Verdict::kNoReadableSignature;
    const std::optional<std::vector<BYTE>> signerBlock = FirstSignerInfo(signature->message.get());
    if (!signerBlock) return Verdict::kNoReadableSignature;
    const auto& signer = *reinterpret_cast<const CMSG_SIGNER_INFO*>(signerBlock->data());
    if (!ProgramInformationReadable(signer)) return Verdict::kNoReadableSignature;

    const ScopedCertContext certificate = FindSignerCertificate(signature->certificates.get(), signer);
    if (!certificate) return Verdict::kNoReadableSignature;
    const std::optional<std::wstring> name = SimpleDisplayName(certificate.get());
    if (!name) return Verdict::kNoReadableSignature;
    return _wcsicmp(name->c_str(), publisherName) == 0 ? Verdict::kPublisher : Verdict::kOtherPublisher;
}

}  // namespace signature
