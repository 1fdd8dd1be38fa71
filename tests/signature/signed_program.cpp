#include "tests/signature/signed_program.h"

#include <stdexcept>

namespace {

constexpr std::size_t kCertificateTableIndex = 4;  // IMAGE_DIRECTORY_ENTRY_SECURITY
constexpr std::uint16_t kRevision2 = 0x0200;       // WIN_CERT_REVISION_2_0
constexpr std::uint16_t kPkcsSignedData = 0x0002;  // WIN_CERT_TYPE_PKCS_SIGNED_DATA

std::uint32_t Read32(const Bytes& bytes, std::size_t at) {
    if (at + 4 > bytes.size()) throw std::runtime_error("program: cut short");
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

void Write32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// The file offset of the certificate table's entry in the optional header's data directories.
std::size_t CertificateTableEntry(const Bytes& file) {
    const std::size_t peHeader = Read32(file, 0x3C);
    if (Read32(file, peHeader) != 0x00004550) throw std::runtime_error("program: no PE signature");
    const std::size_t optionalHeader = peHeader + 4 + 20;
    const std::uint32_t magic = Read32(file, optionalHeader) & 0xFFFF;
    const std::size_t directories = optionalHeader + (magic == 0x20B ? 112 : 96);
    return directories + 8 * kCertificateTableIndex;
}

}  // namespace

SignedProgram::SignedProgram(const Bytes& file) : directoryEntry_(CertificateTableEntry(file)) {
    const std::size_t table = Read32(file, directoryEntry_);
    const std::size_t tableSize = Read32(file, directoryEntry_ + 4);
    if (table == 0 || tableSize <= kCertificateHeader || table + tableSize > file.size())
        throw std::runtime_error("program: no certificate table");
    unsignedPart_.assign(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(table));
    const std::uint8_t* const der = file.data() + table + kCertificateHeader;
    signature_ = ParseDer(der, file.data() + table + tableSize);
}

Bytes SignedProgram::With(const DerElement& signature) const {
    const Bytes encodedSignature = EncodeDer(signature);
    Bytes file = unsignedPart_;
    const std::size_t padded = (kCertificateHeader + encodedSignature.size() + 7) / 8 * 8;
    Bytes table(8);
    Write32(table, 0, static_cast<std::uint32_t>(padded));
    Write32(table, 4, kRevision2 | kPkcsSignedData << 16);
    table.insert(table.end(), encodedSignature.begin(), encodedSignature.end());
    table.resize(padded);
    file.insert(file.end(), table.begin(), table.end());
    Write32(file, directoryEntry_ + 4, static_cast<std::uint32_t>(padded));
    return file;
}
