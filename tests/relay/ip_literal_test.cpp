#include "proxy/relay/ip_literal.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#ifndef _WIN32
#include <arpa/inet.h>
#endif

namespace {

using relay::ParseIpv4Literal;
using relay::ParseIpv6Literal;

using Bytes16 = std::array<std::uint8_t, 16>;

TEST(IpLiteral, Ipv4AcceptsOnlyPlainDottedDecimal) {
    EXPECT_EQ(ParseIpv4Literal("127.0.0.1"), (std::array<std::uint8_t, 4>{127, 0, 0, 1}));
    EXPECT_EQ(ParseIpv4Literal("255.255.255.255"), (std::array<std::uint8_t, 4>{255, 255, 255, 255}));
    for (const char* bad : {"", "1.2.3", "1.2.3.4.", "1.2.3.4.5", "256.1.1.1", "01.2.3.4", "1..3.4", "1.2.3.4 ",
                            "0x1.2.3.4", "1.2.3.1000", "-1.2.3.4", "1234.1.1.1"})
        EXPECT_FALSE(ParseIpv4Literal(bad)) << bad;
}

TEST(IpLiteral, Ipv6GroupsGapAndDottedTail) {
    EXPECT_EQ(ParseIpv6Literal("::"), Bytes16{});
    EXPECT_EQ(ParseIpv6Literal("::1"), (Bytes16{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(ParseIpv6Literal("2001:DB8::ff00:42"),
              (Bytes16{0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0x00, 0x00, 0x42}));
    EXPECT_EQ(ParseIpv6Literal("1:2:3:4:5:6:7::"), (Bytes16{0, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0, 7, 0, 0}));
    EXPECT_EQ(ParseIpv6Literal("::ffff:192.0.2.1"),
              (Bytes16{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff, 192, 0, 2, 1}));
    EXPECT_EQ(ParseIpv6Literal("1:2:3:4:5:6:1.2.3.4"), (Bytes16{0, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 1, 2, 3, 4}));
    for (const char* bad : {"", ":", ":::", "1:2", "1::2::3", "1:2:3:4:5:6:7:8:9", "1:2:3:4:5:6:7:8::", "::1:",
                            ":1::", "12345::", "g::", "1.2.3.4", "::1.2.3", "1:2:3:4:5:6:7:1.2.3.4", "[::1]",
                            "fe80::1%1", "::/64", "::1.2.3.4:5"})
        EXPECT_FALSE(ParseIpv6Literal(bad)) << bad;
}

#ifndef _WIN32
// The C library's reader is the oracle: strings over the literals' alphabet,
// biased towards the shapes that almost parse.
TEST(IpLiteral, AgreesWithTheCLibraryOnRandomText) {
    std::mt19937 random(20261207);
    const std::string pieces[] = {":", "::", ".", "0", "1", "f", "FF", "abcd", "12345", "255", "256", "01", "1.2.3.4"};
    for (int round = 0; round < 200000; ++round) {
        std::string text;
        const int count = static_cast<int>(random() % 12);
        for (int i = 0; i < count; ++i) text += pieces[random() % std::size(pieces)];
        Bytes16 expected6{};
        const bool valid6 = inet_pton(AF_INET6, text.c_str(), expected6.data()) == 1;
        const auto actual6 = ParseIpv6Literal(text);
        ASSERT_EQ(actual6.has_value(), valid6) << text;
        if (valid6) {
            ASSERT_EQ(*actual6, expected6) << text;
        }
        std::array<std::uint8_t, 4> expected4{};
        const bool valid4 = inet_pton(AF_INET, text.c_str(), expected4.data()) == 1;
        const auto actual4 = ParseIpv4Literal(text);
        ASSERT_EQ(actual4.has_value(), valid4) << text;
        if (valid4) {
            ASSERT_EQ(*actual4, expected4) << text;
        }
    }
}
#endif

}  // namespace
