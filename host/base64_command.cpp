#include <climits>
#include <string>

#include "frame/reridu_exports.h"
#include "host/command.h"
#include "host/file_io.h"
#include "host/library.h"

namespace {

constexpr wchar_t kUsage[] =
    L"usage: reridu base64 encode [FILE]\n"
    L"       reridu base64 decode [FILE]\n"
    L"\n"
    L"Encodes the bytes of FILE (standard input when FILE is absent or '-') as\n"
    L"Base64 with a line break (CR LF) after every 2048 characters, or decodes\n"
    L"Base64 text, skipping every character outside the alphabet. The result\n"
    L"goes to standard output exactly as the library produces it.\n";

// Sizes the output with sizeOf, fills it with transform(input, length,
// output, capacity) and trims it to the count returned.
template <class Transform>
int Transcode(const std::string& input, int (*sizeOf)(unsigned), Transform transform, std::string& output) {
    if (input.empty()) return 0;
    const auto length = static_cast<unsigned>(input.size());
    const auto capacity = static_cast<unsigned>(sizeOf(length));
    if (capacity == 0) return Fail(L"base64: the input is too large");
    output.resize(capacity);
    const int written = transform(input.data(), length, reinterpret_cast<unsigned char*>(output.data()), capacity);
    // 0 is also the decoder's answer for text without a complete group: an empty result, not an error.
    output.resize(written > 0 ? static_cast<unsigned>(written) : 0);
    return 0;
}

int Encode(ReriduLibrary& library, const std::string& input, std::string& output) {
    auto* sizeOf = library.Get<decltype(Base64_GetEncodeSize)>("Base64_GetEncodeSize");
    auto* encode = library.Get<decltype(Base64_Encode)>("Base64_Encode");
    if (sizeOf == nullptr || encode == nullptr) return Fail(library.error());
    return Transcode(
        input, sizeOf,
        [encode](const char* src, unsigned srclen, unsigned char* dst, unsigned dstlen) {
            return encode(reinterpret_cast<const unsigned char*>(src), srclen, dst, dstlen);
        },
        output);
}

int Decode(ReriduLibrary& library, const std::string& input, std::string& output) {
    auto* sizeOf = library.Get<decltype(Base64_GetDecodeSize)>("Base64_GetDecodeSize");
    auto* decode = library.Get<decltype(Base64_Decode)>("Base64_Decode");
    if (sizeOf == nullptr || decode == nullptr) return Fail(library.error());
    return Transcode(input, sizeOf, decode, output);
}

}  // namespace

int RunBase64(ReriduLibrary& library, const Arguments& arguments) {
    if (WantsHelp(arguments)) return Usage(kUsage);
    if (arguments.empty() || arguments.size() > 2) {
        Usage(kUsage);
        return 2;
    }
    const std::wstring& direction = arguments[0];
    if (direction != L"encode" && direction != L"decode")
        return Fail(L"base64: expected 'encode' or 'decode', not '" + direction + L"'");

    std::wstring error;
    const std::optional<std::string> input = ReadAll(arguments.size() == 2 ? arguments[1] : L"", error);
    if (!input) return Fail(error);
    if (input->size() > INT_MAX) return Fail(L"base64: the input is larger than 2 GiB");

    std::string output;
    const int status = direction == L"encode" ? Encode(library, *input, output) : Decode(library, *input, output);
    if (status != 0) return status;
    if (!WriteAll(output, error)) return Fail(error);
    return 0;
}
