#include "frame/reridu_exports.h"
#include "host/library.h"
#include "tests/base64/codec.h"

namespace {

// Called the way the browser calls them: looked up by name in the loaded DLL.
Base64Codec ExportedCodec() {
    static ReriduLibrary library;
    return {"exports", library.Get<decltype(Base64_GetEncodeSize)>("Base64_GetEncodeSize"),
            library.Get<decltype(Base64_GetDecodeSize)>("Base64_GetDecodeSize"),
            library.Get<decltype(Base64_Encode)>("Base64_Encode"),
            library.Get<decltype(Base64_Decode)>("Base64_Decode")};
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Dll, Base64Test, ::testing::Values(ExportedCodec()), CodecName);
