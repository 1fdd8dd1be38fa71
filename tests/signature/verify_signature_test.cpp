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
        {L"signed.exe", L"QUORVEL SoftWare", kPublisher, "letter case"},
        {L"signed.exe", L"Halvard Tools", kOtherPublisher, ""},
        {L"signed.exe", L"Quorvel", kOtherPublisher, "a prefix is another name"},
        {L"signed.exe", L"Quorvel Software ", kOtherPublisher, "a longer name"},
        {L"signed.exe", L"ReRidu Test Root", kOtherPublisher, "the issuer travels in the signature but did not sign"},
        {L"no-program-info.exe", L"quorvel SOFTWARE", kPublisher, "without program information"},
        {L"no-program-info.exe", L"Halvard Tools", kOtherPublisher, "without program information"},
        {L"nested.exe", kPublisherName, kPublisher, "the nested signer does not count"},
        {L"nested.exe", L"Halvard Tools", kOtherPublisher, "the nested signer does not count"},
        {L"unicode-name.exe", L"\u014Ckami Soci\u00E9t\u00E9", kPublisher, "beyond ASCII"},
        {L"unicode-name.exe", L"\u014CKAMI SOCI\u00E9T\u00E9", kPublisher, "beyond ASCII"},
        {L"unicode-name.exe", L"Okami Societe", kOtherPublisher, "beyond ASCII"},
        {L"unicode-name.exe", L"\u014Ckami Soci\u00E9t", kOtherPublisher, "beyond ASCII"},
        {L"unsigned.exe", kPublisherName, kNoReadableSignature, ""},
        {L"detached.exe", kPublisherName, kNoReadableSignature, "signed in detached.p7"},
        {L"no-such-file.exe", kPublisherName, kNoReadableSignature, ""},
        {L"", kPublisherName, kNoReadableSignature, "a folder"},
        {L"signed.exe", nullptr, kMissingArgument, ""},
        {L"signed.exe", L"", kMissingArgument, ""},
        {L"no-such-file.exe", L"", kMissingArgument, "checked before opening"},
        {nullptr, kPublisherName, kMissingArgument, ""},
        {nullptr, nullptr, kMissingArgument, ""},
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
        {"none", [](DerElement&) {}, L"Halvard Tools", kOtherPublisher},
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
