#pragma once
// The four Base64 functions as one codec, so the same cases run against the
// portable functions and, under Wine, against ReRidu.dll's exports.

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>

struct Base64Codec {
    const char* name;
    int (*encodeSize)(std::uint32_t n);
    int (*decodeSize)(std::uint32_t n);
    int (*encode)(const unsigned char* src, std::uint32_t srclen, unsigned char* dst, std::uint32_t dstlen);
    int (*decode)(const char* src, std::uint32_t srclen, unsigned char* dst, std::uint32_t dstlen);
};

inline void PrintTo(const Base64Codec& codec, std::ostream* out) { *out << codec.name; }

class Base64Test : public ::testing::TestWithParam<Base64Codec> {};

inline std::string CodecName(const ::testing::TestParamInfo<Base64Codec>& info) { return info.param.name; }
