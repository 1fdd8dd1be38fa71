#include "frame/reridu_exports.h"
#include "tests/base64/codec.h"
#include "tests/support/library_exports.h"

// Called the way the browser calls them: looked up by name in the loaded DLL.
INSTANTIATE_TEST_SUITE_P(Dll, Base64Test,
                         ::testing::Values(Base64Codec{"exports", RERIDU_EXPORT(Base64_GetEncodeSize),
                                                       RERIDU_EXPORT(Base64_GetDecodeSize),
                                                       RERIDU_EXPORT(Base64_Encode), RERIDU_EXPORT(Base64_Decode)}),
                         CodecName);
