#include <cstdio>

#include "frame/reridu_exports.h"
#include "host/command.h"
#include "host/library.h"

namespace {

constexpr wchar_t kUsage[] =
    L"usage: reridu verify FILE NAME\n"
    L"\n"
    L"Reads the Authenticode signature embedded in FILE and compares the name of\n"
    L"its signer's certificate (the subject's simple display name) with NAME,\n"
    L"letter case ignored. Only the signature is read: the certificate chain is\n"
    L"not checked and the file's hash is not recomputed, so this tells who signed\n"
    L"FILE, not whether to trust it.\n"
    L"\n"
    L"Prints the library's answer as its number and in words:\n"
    L"  3  signed by NAME\n"
    L"  2  signed by another publisher\n"
    L"  1  FILE or NAME is empty\n"
    L"  0  no readable embedded signature\n"
    L"\n"
    L"Exit status: 0 when FILE is signed by NAME, 1 otherwise, 2 on bad usage.\n";

const wchar_t* Describe(int verdict) {
    switch (verdict) {
        case 0: return L"no readable embedded signature";
        case 1: return L"FILE or NAME is empty";
        case 2: return L"signed by another publisher";
        case 3: return L"signed by NAME";
        default: return L"an answer this host does not know";
    }
}

}  // namespace

int RunVerify(ReriduLibrary& library, const Arguments& arguments) {
    if (WantsHelp(arguments)) return Usage(kUsage);
    if (arguments.size() != 2) {
        fputws(kUsage, stderr);
        return 2;
    }
    auto* verify = library.Get<decltype(ReRidu_VerifySignature)>("ReRidu_VerifySignature");
    if (verify == nullptr) return Fail(library.error());

    const int verdict = verify(arguments[0].c_str(), arguments[1].c_str());
    fwprintf(stdout, L"%d %ls\n", verdict, Describe(verdict));
    return verdict == 3 ? 0 : 1;
}
