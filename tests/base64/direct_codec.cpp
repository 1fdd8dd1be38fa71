#include "base64/base64.h"
#include "tests/base64/codec.h"

INSTANTIATE_TEST_SUITE_P(Portable, Base64Test,
                         ::testing::Values(Base64Codec{"direct", base64::GetEncodeSize, base64::GetDecodeSize,
                                                       base64::Encode, base64::Decode}),
                         CodecName);
