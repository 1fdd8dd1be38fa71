// ReRidu_VerifySignature called the way the browser calls it, on programs
// signed at build time with throwaway certificates (make-signed-files) and on
// copies whose signatures the tests take apart and damage on purpose.
#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "frame/reridu_exports.h"
#include "tests/signature/der.h"
#include "tests/signature/signed_program.h"
#include "tests/support/library_exports.h"
#include "tests/support/test_files.h"

namespace {

constexpr int kNoReadableSignature = 0;
constexpr int kMissingArgument = 1;
constexpr int kOtherPublisher = 2;
constexpr int kPublisher = 3;

constexpr wchar_t kPublisherName[] = L"Quorvel Software";

int Verify(const wchar_t* path, const wchar_t* name) {
    static auto* const verify = RERIDU_EXPORT(ReRidu_VerifySignature);
    if (verify == nullptr) throw std::runtime_error("ReRidu_VerifySignature cannot be loaded");
    return verify(path, name);
}

int VerifyBytes(const Bytes& file, const wchar_t* name) { return Verify(ScratchFile(file).path().c_str(), name); }

// The parts of a PKCS #7 signature the tests change:
//   ContentInfo { contentType, [0] SignedData }
//   SignedData  { version, digestAlgorithms, contentInfo, [0] certificates, signerInfos }
//   SignerInfo  { version, { issuer, serialNumber }, digestAlgorithm, [0] authenticatedAttributes, ... }
//   Attribute   { type, SET OF value }
DerElement& SignedData(DerElement& contentInfo) { return contentInfo.children.at(1).children.at(0); }

DerElement& ChildTagged(DerElement& parent, std::uint8_t tag) {
    for (DerElement& child : parent.children)
        if (child.tag == tag) return child;
    throw std::out_of_range("the signature has no such part");
}

DerElement& SignerInfos(DerElement& contentInfo) { return SignedData(contentInfo).children.back(); }
DerElement& FirstSigner(DerElement& contentInfo) { return SignerInfos(contentInfo).children.at(0); }

DerElement& ProgramInformation(DerElement& contentInfo) {
    const Bytes oid = {0x2B, 0x06, 0x01, 0x04, 0x01, 0x82, 0x37, 0x02, 0x01, 0x0C};  // 1.3.6.1.4.1.311.2.1.12
    for (DerElement& attribute : ChildTagged(FirstSigner(contentInfo), 0xA0).children)
        if (attribute.children.at(0).contents == oid) return attribute;
    throw std::out_of_range("the signature has no program information");
}

void SwapCertificates(DerElement& contentInfo) {
    std::vector<DerElement>& certificates = ChildTagged(SignedData(contentInfo), 0xA0).children;
    ASSERT_EQ(certificates.size(), 2u);
    std::swap(certificates[0], certificates[1]);
}

DerElement& ProgramInformationValue(DerElement& contentInfo) {
    return ProgramInformation(contentInfo).children.at(1).children.at(0);
}

}  // namespace

// The answer depends only on the first signer certificate's name, compared
// whole, as wide text and without regard to letter case; program information
// is optional. Only a signature embedded in the file counts, and null or empty
// arguments are refused before any file is touched.
TEST(VerifySignature, AnswersByTheFirstSignersName) {
    struct Case {
        const wchar_t* file;  // null: the argument itself is null
        const wchar_t* name;
        int expected;
        const char* why;
    };
    const Case cases[] = {
        {L"signed.exe", kPublisherName, kPublisher, ""},
        {L"signed.exe", L"quorvel software", kPublisher, "letter case"},
        {L"signed.exe", L"Halvard Tools", kOtherPublisher, ""},
        {L"signed.exe", L"Quorvel", kOtherPublisher, "a prefix is another name"},
        {L"signed.exe", L"Quorvel Software ", kOtherPublisher, "a longer name"},
        {L"signed.exe", L"ReRidu Test Root", kOtherPublisher, "the issuer travels in the signature but did not sign"},
        {L"no-program-info.exe", L"quorvel SOFTWARE", kPublisher, "without program information"},
        {L"nested.exe", kPublisherName, kPublisher, "the nested signer does not count"},
        {L"nested.exe", L"Halvard Tools", kOtherPublisher, "the nested signer does not count"},
        {L"unicode-name.exe", L"\u014CKAMI SOCI\u00E9T\u00E9", kPublisher, "beyond ASCII"},
        {L"unicode-name.exe", L"\u014Ckami Soci\u00E9t", kOtherPublisher, "beyond ASCII"},
        {L"unsigned.exe", kPublisherName, kNoReadableSignature, ""},
        {L"detached.exe", kPublisherName, kNoReadableSignature, "signed in detached.p7"},
        {L"no-such-file.exe", kPublisherName, kNoReadableSignature, ""},
        {L"", kPublisherName, kNoReadableSignature, "a folder"},
        {L"signed.exe", nullptr, kMissingArgument, ""},
        {L"signed.exe", L"", kMissingArgument, ""},
        {L"no-such-file.exe", L"", kMissingArgument, "checked before opening"},
        {nullptr, kPublisherName, kMissingArgument, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << (c.file ? c.file : L"(null)") << ", " << (c.name ? c.name : L"(null)")
                                          << ": " << c.why);
        EXPECT_EQ(Verify(c.file ? SignedFile(c.file).c_str() : nullptr, c.name), c.expected);
    }
    EXPECT_EQ(Verify(L"", kPublisherName), kMissingArgument);
}

// Copies of signed.exe with one part of their signature changed on purpose.
// Taking the signature apart and putting it back unchanged keeps its answer,
// so each change is the only one a case sees.
TEST(VerifySignature, AnswersForChangedSignatures) {
    struct Change {
        const char* what;
        void (*apply)(DerElement& signature);
        const wchar_t* name;
        int expected;
    };
    const Change changes[] = {
        {"none", [](DerElement&) {}, kPublisherName, kPublisher},
        // The signer's certificate is found by issuer and serial number, not by its place.
        {"certificates swapped", [](DerElement& s) { SwapCertificates(s); }, kPublisherName, kPublisher},
        {"certificates swapped", [](DerElement& s) { SwapCertificates(s); }, L"ReRidu Test Root", kOtherPublisher},
        // A signer whose certificate the signature does not carry cannot be named.
        {"the signer's serial number matches no certificate",
         [](DerElement& s) { FirstSigner(s).children.at(1).children.at(1).contents.back() ^= 0xFF; }, kPublisherName,
         kNoReadableSignature},
        {"no certificates", [](DerElement& s) { ChildTagged(SignedData(s), 0xA0).children.clear(); }, kPublisherName,
         kNoReadableSignature},
        {"no signers", [](DerElement& s) { SignerInfos(s).children.clear(); }, kPublisherName, kNoReadableSignature},
        // Program information that is there but cannot be decoded makes the whole signature unreadable.
        {"program information that is not a sequence", [](DerElement& s) { ProgramInformationValue(s).tag = 0x04; },
         kPublisherName, kNoReadableSignature},
        {"a part of the program information longer than the sequence",
         [](DerElement& s) {
             DerElement& value = ProgramInformationValue(s);
             value.contents = EncodeContents(value);
             value.contents.at(1) = 0x7F;  // the length of the program name
             value.children.clear();
         },
         kPublisherName, kNoReadableSignature},
        {"program information without a value",
         [](DerElement& s) { ProgramInformation(s).children.at(1).children.clear(); }, kPublisherName,
         kNoReadableSignature},
        // Only the program information is decoded: a garbled attribute of another type is left alone.
        {"a garbled attribute of another type",
         [](DerElement& s) {
             DerElement& attribute = ProgramInformation(s);
             attribute.children.at(0).contents.back() = 0x7F;  // 1.3.6.1.4.1.311.2.1.127
             attribute.children.at(1).children.at(0).tag = 0x04;
         },
         kPublisherName, kPublisher},
    };
    const SignedProgram program(ReadBytes(SignedFile(L"signed.exe")));
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        DerElement signature = program.signature();
        change.apply(signature);
        EXPECT_EQ(VerifyBytes(program.With(signature), change.name), change.expected);
    }
}
