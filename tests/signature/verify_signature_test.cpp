// ReRidu_VerifySignature called the way the browser calls it, on programs
// signed at build time with throwaway certificates (make-signed-files) and on
// copies whose signatures the tests take apart and damage on purpose.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "frame/reridu_exports.h"
#include "host/library.h"
#include "tests/signature/der.h"
#include "tests/signature/signed_program.h"
#include "tests/signature/test_files.h"

namespace {

constexpr int kNoReadableSignature = 0;
constexpr int kMissingArgument = 1;
constexpr int kOtherPublisher = 2;
constexpr int kPublisher = 3;

constexpr wchar_t kPublisherName[] = L"Quorvel Software";

int Verify(const wchar_t* path, const wchar_t* name) {
    static ReriduLibrary library;
    static auto* verify = library.Get<decltype(ReRidu_VerifySignature)>("ReRidu_VerifySignature");
    if (verify == nullptr) throw std::runtime_error("ReRidu_VerifySignature cannot be loaded");
    return verify(path, name);
}

int Verify(const std::wstring& path, const wchar_t* name) { return Verify(path.c_str(), name); }

int VerifyBytes(const Bytes& file, const wchar_t* name) { return Verify(ScratchFile(file).path(), name); }

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

DerElement& ProgramInformationValue(DerElement& contentInfo) {
    return ProgramInformation(contentInfo).children.at(1).children.at(0);
}

class SignedCopies : public ::testing::Test {
protected:
    SignedCopies() : program_(ReadBytes(SignedFile(L"signed.exe"))), signature_(program_.signature()) {}

    int VerifyChanged(const wchar_t* name) { return VerifyBytes(program_.With(signature_), name); }

    SignedProgram program_;
    DerElement signature_;  // the copy's signature, for the test to change
};

}  // namespace

// The answer depends only on the signer certificate's name, compared whole
// and without regard to letter case.
TEST(VerifySignature, ComparesTheSignerNameIgnoringCase) {
    const std::wstring signedFile = SignedFile(L"signed.exe");
    EXPECT_EQ(Verify(signedFile, kPublisherName), kPublisher);
    EXPECT_EQ(Verify(signedFile, L"quorvel software"), kPublisher);
    EXPECT_EQ(Verify(signedFile, L"QUORVEL SoftWare"), kPublisher);

    EXPECT_EQ(Verify(signedFile, L"Halvard Tools"), kOtherPublisher);
    EXPECT_EQ(Verify(signedFile, L"Quorvel"), kOtherPublisher) << "a prefix is another name";
    EXPECT_EQ(Verify(signedFile, L"Quorvel Software "), kOtherPublisher);
    EXPECT_EQ(Verify(signedFile, L"ReRidu Test Root"), kOtherPublisher)
        << "the issuer's certificate travels in the signature but did not sign";
}

// Program information is optional: without it the name alone decides.
TEST(VerifySignature, SignatureWithoutProgramInformationIsJudgedByName) {
    const std::wstring file = SignedFile(L"no-program-info.exe");
    EXPECT_EQ(Verify(file, L"quorvel SOFTWARE"), kPublisher);
    EXPECT_EQ(Verify(file, L"Halvard Tools"), kOtherPublisher);
}

// A signature nested inside the first one does not count: only the first
// signer names the publisher.
TEST(VerifySignature, OnlyTheFirstSignerCounts) {
    const std::wstring file = SignedFile(L"nested.exe");
    EXPECT_EQ(Verify(file, kPublisherName), kPublisher);
    EXPECT_EQ(Verify(file, L"Halvard Tools"), kOtherPublisher);
}

// Names outside ASCII reach the comparison whole, as wide text.
TEST(VerifySignature, ComparesNamesBeyondAscii) {
    const std::wstring file = SignedFile(L"unicode-name.exe");
    EXPECT_EQ(Verify(file, L"\u014Ckami Soci\u00E9t\u00E9"), kPublisher);
    EXPECT_EQ(Verify(file, L"\u014CKAMI SOCI\u00E9T\u00E9"), kPublisher);
    EXPECT_EQ(Verify(file, L"Okami Societe"), kOtherPublisher);
    EXPECT_EQ(Verify(file, L"\u014Ckami Soci\u00E9t"), kOtherPublisher);
}

// Only a signature embedded in the file counts: a program whose signature is
// kept apart, in a file of its own beside it, is as unsigned as one never
// signed.
TEST(VerifySignature, FilesWithoutAnEmbeddedSignatureGiveZero) {
    EXPECT_EQ(Verify(SignedFile(L"unsigned.exe"), kPublisherName), kNoReadableSignature);
    EXPECT_EQ(Verify(SignedFile(L"detached.exe"), kPublisherName), kNoReadableSignature) << "signed in detached.p7";
    EXPECT_EQ(Verify(SignedFile(L"no-such-file.exe"), kPublisherName), kNoReadableSignature);
    EXPECT_EQ(Verify(SignedFile(L""), kPublisherName), kNoReadableSignature) << "a folder";
}

// Null or empty arguments are refused before any file is touched.
TEST(VerifySignature, MissingArgumentsGiveOne) {
    const std::wstring signedFile = SignedFile(L"signed.exe");
    EXPECT_EQ(Verify(nullptr, kPublisherName), kMissingArgument);
    EXPECT_EQ(Verify(L"", kPublisherName), kMissingArgument);
    EXPECT_EQ(Verify(signedFile.c_str(), nullptr), kMissingArgument);
    EXPECT_EQ(Verify(signedFile.c_str(), L""), kMissingArgument);
    EXPECT_EQ(Verify(nullptr, nullptr), kMissingArgument);
    EXPECT_EQ(Verify(SignedFile(L"no-such-file.exe"), L""), kMissingArgument) << "checked before opening";
}

// Taking a signature apart and putting it back unchanged keeps its answer, so
// the damage done by the tests below is the only change they see.
TEST_F(SignedCopies, UnchangedCopyKeepsItsAnswer) {
    EXPECT_EQ(VerifyChanged(kPublisherName), kPublisher);
    EXPECT_EQ(VerifyChanged(L"Halvard Tools"), kOtherPublisher);
}

// The signer's certificate is found by issuer and serial number, not by its
// place among the certificates the signature carries.
TEST_F(SignedCopies, SignerCertificateIsFoundWhereverItStands) {
    std::vector<DerElement>& certificates = ChildTagged(SignedData(signature_), 0xA0).children;
    ASSERT_EQ(certificates.size(), 2u);
    std::swap(certificates[0], certificates[1]);
    EXPECT_EQ(VerifyChanged(kPublisherName), kPublisher);
    EXPECT_EQ(VerifyChanged(L"ReRidu Test Root"), kOtherPublisher);
}

// A signer whose certificate the signature does not carry cannot be named.
TEST_F(SignedCopies, SignerWithoutItsCertificateGivesZero) {
    const DerElement intact = signature_;
    {
        SCOPED_TRACE("the signer's serial number matches no certificate");
        FirstSigner(signature_).children.at(1).children.at(1).contents.back() ^= 0xFF;
        EXPECT_EQ(VerifyChanged(kPublisherName), kNoReadableSignature);
    }
    {
        SCOPED_TRACE("the signature carries no certificates");
        signature_ = intact;
        ChildTagged(SignedData(signature_), 0xA0).children.clear();
        EXPECT_EQ(VerifyChanged(kPublisherName), kNoReadableSignature);
    }
}

// A signature nobody signed has no first signer to name.
TEST_F(SignedCopies, SignatureWithoutSignersGivesZero) {
    SignerInfos(signature_).children.clear();
    EXPECT_EQ(VerifyChanged(kPublisherName), kNoReadableSignature);
}

// Program information that is present but cannot be decoded makes the whole
// signature unreadable, whatever the certificate's name.
TEST_F(SignedCopies, MalformedProgramInformationGivesZero) {
    const DerElement intact = signature_;
    struct Damage {
        const char* what;
        void (*apply)(DerElement& signature);
    };
    const Damage damages[] = {
        {"a value that is not a sequence", [](DerElement& s) { ProgramInformationValue(s).tag = 0x04; }},
        {"a part longer than the sequence that holds it",
         [](DerElement& s) {
             DerElement& value = ProgramInformationValue(s);
             value.contents = EncodeContents(value);
             value.contents.at(1) = 0x7F;  // the length of the program name
             value.children.clear();
         }},
        {"no value at all", [](DerElement& s) { ProgramInformation(s).children.at(1).children.clear(); }},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        signature_ = intact;
        damage.apply(signature_);
        EXPECT_EQ(VerifyChanged(kPublisherName), kNoReadableSignature);
    }
}

// Only the program information is decoded: a garbled attribute of any other
// type is left alone.
TEST_F(SignedCopies, OtherAttributesAreNotDecoded) {
    DerElement& attribute = ProgramInformation(signature_);
    attribute.children.at(0).contents.back() = 0x7F;  // 1.3.6.1.4.1.311.2.1.127
    attribute.children.at(1).children.at(0).tag = 0x04;
    EXPECT_EQ(VerifyChanged(kPublisherName), kPublisher);
}

// Damaged files give 0 and never crash the caller: cut anywhere, filled with
// noise, or with single bytes of their signature changed.
TEST(VerifySignature, DamagedFilesGiveZeroWithoutCrashing) {
    const Bytes file = ReadBytes(SignedFile(L"signed.exe"));
    std::vector<std::size_t> cuts = {0, 1, 2, 0x3C, 0x40, 0x100, 0x400};
    // The certificate table ends the file and is about 2.3 KB long.
    for (std::size_t back = 1; back < 2400; back += 53) cuts.push_back(file.size() - back);
    for (std::size_t cut : cuts) {
        SCOPED_TRACE("cut to " + std::to_string(cut) + " bytes");
        EXPECT_EQ(VerifyBytes(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(cut)), kPublisherName),
                  kNoReadableSignature);
    }

    std::mt19937 random(9);
    Bytes noise(4096);
    for (std::uint8_t& b : noise) b = static_cast<std::uint8_t>(random());
    Bytes headerOnly = {'M', 'Z'};
    headerOnly.resize(0x40);
    headerOnly[0x3C] = 0xFF;  // the PE header would lie beyond the end
    for (const Bytes& junk : {noise, headerOnly, Bytes{'M', 'Z'}})
        EXPECT_EQ(VerifyBytes(junk, kPublisherName), kNoReadableSignature);
}

TEST(VerifySignature, ChangedSignatureBytesNeverCrash) {
    const SignedProgram program(ReadBytes(SignedFile(L"signed.exe")));
    const Bytes intact = EncodeDer(program.signature());
    std::mt19937 random(6);
    for (int round = 0; round < 150; ++round) {
        Bytes changed = intact;
        changed[random() % changed.size()] ^= static_cast<std::uint8_t>(1 + random() % 255);
        const int result = VerifyBytes(program.With(changed), kPublisherName);
        EXPECT_TRUE(result == kNoReadableSignature || result == kOtherPublisher || result == kPublisher)
            << "round " << round << " gave " << result;
    }
}

// Calls share nothing: threads checking different files at once each get
// their own file's answer.
TEST(VerifySignature, ConcurrentCallsAnswerIndependently) {
    struct Case {
        std::wstring file;
        const wchar_t* name;
        int expected;
    };
    const std::vector<Case> cases = {{SignedFile(L"signed.exe"), kPublisherName, kPublisher},
                                     {SignedFile(L"nested.exe"), L"Halvard Tools", kOtherPublisher},
                                     {SignedFile(L"unsigned.exe"), kPublisherName, kNoReadableSignature},
                                     {SignedFile(L"no-program-info.exe"), kPublisherName, kPublisher}};
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < cases.size(); ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 25; ++round) {
                const Case& c = cases[(t + round) % cases.size()];
                if (Verify(c.file, c.name) != c.expected) ++wrong;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(wrong.load(), 0);
}
