#include <algorithm>
#include <cctype>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "tests/base64/codec.h"

namespace {

constexpr unsigned char kSentinel = 0xA5;

std::string RandomBytes(size_t n, std::mt19937& random) {
    std::string bytes(n, '\0');
    for (char& b : bytes) b = static_cast<char>(random() & 0xFF);
    return bytes;
}

// What the encoder must produce, written out the slow way: a line break
// after every 2048 characters of whole groups.
std::string ReferenceEncoding(const std::string& bytes) {
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        std::uint32_t group = 0;
        for (size_t k = i; k < i + 3; ++k)
            group = group << 8 | (k < bytes.size() ? static_cast<unsigned char>(bytes[k]) : 0u);
        const size_t characters = std::min<size_t>(bytes.size() - i, 3) + 1;
        for (size_t k = 0; k < 4; ++k) text += k < characters ? alphabet[(group >> (18 - 6 * k)) & 63] : '=';
        if (i + 3 <= bytes.size() && (i + 3) % 1536 == 0) text += "\r\n";
    }
    return text;
}

class Harness {
public:
    explicit Harness(const Base64Codec& codec) : codec_(codec) {}

    // Encodes into a buffer of exactly the advertised size and checks nothing
    // beyond the returned count was touched.
    std::string Encode(const std::string& bytes) const {
        const auto size = static_cast<std::uint32_t>(codec_.encodeSize(static_cast<std::uint32_t>(bytes.size())));
        std::vector<unsigned char> out(size + 1, kSentinel);
        const int written = codec_.encode(reinterpret_cast<const unsigned char*>(bytes.data()),
                                          static_cast<std::uint32_t>(bytes.size()), out.data(), size);
        EXPECT_GE(written, 0);
        EXPECT_LE(static_cast<std::uint32_t>(written), size);
        EXPECT_EQ(out[size], kSentinel) << "wrote past dstlen";
        return std::string(out.begin(), out.begin() + std::max(written, 0));
    }

    std::string Decode(const std::string& text) const {
        const auto size = static_cast<std::uint32_t>(codec_.decodeSize(static_cast<std::uint32_t>(text.size())));
        std::vector<unsigned char> out(size + 1, kSentinel);
        const int written = codec_.decode(text.data(), static_cast<std::uint32_t>(text.size()), out.data(), size);
        EXPECT_GE(written, 0);
        EXPECT_LE(static_cast<std::uint32_t>(written), size);
        EXPECT_EQ(out[size], kSentinel) << "wrote past dstlen";
        return std::string(out.begin(), out.begin() + std::max(written, 0));
    }

private:
    const Base64Codec& codec_;
};

}  // namespace

TEST_P(Base64Test, SizeFormulasGiveTheBoundOrZeroWhenItDoesNotFitIn32Bits) {
    const Base64Codec& codec = GetParam();
    const struct {
        std::uint32_t n;
        std::uint32_t encoded, decoded;
    } sizes[] = {
        {0, 0, 0},
        {1, 4, 3},
        {3, 4, 3},
        {4, 8, 3},
        {5, 8, 6},
        {1535, 2050, 1152},
        {1536, 2050, 1152},
        {1537, 2054, 1155},
        {3072, 4100, 2304},
        {0xBFA00000u, 0xFFBFE000u, 0x8FB80000u},
        {0xBFFFFFFFu, 0, 0x90000000u},
        {0xFFFFFFFCu, 0, 0xBFFFFFFDu},
        {0xFFFFFFFDu, 0, 0},
        {0xFFFFFFFFu, 0, 0},
    };
    for (const auto& size : sizes) {
        EXPECT_EQ(static_cast<std::uint32_t>(codec.encodeSize(size.n)), size.encoded) << "n = " << size.n;
        EXPECT_EQ(static_cast<std::uint32_t>(codec.decodeSize(size.n)), size.decoded) << "n = " << size.n;
    }
}

TEST_P(Base64Test, Rfc4648Vectors) {
    Harness codec(GetParam());
    const std::pair<std::string, std::string> vectors[] = {
        {"f", "Zg=="},         {"fo", "Zm8="},         {"foo", "Zm9v"},          {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}, {"\xff\xfe\xfd", "//79"}, {std::string(3, '\0'), "AAAA"}};
    for (const auto& [bytes, text] : vectors) {
        EXPECT_EQ(codec.Encode(bytes), text);
        EXPECT_EQ(codec.Decode(text), bytes);
    }
}

TEST_P(Base64Test, EncodingMatchesReferenceAcrossSizes) {
    Harness codec(GetParam());
    std::mt19937 random(2);
    std::vector<size_t> sizes;
    for (size_t n = 1; n <= 200; ++n) sizes.push_back(n);
    for (size_t line : {1536u, 3072u, 4608u, 1536u * 100})
        for (size_t n = line - 4; n <= line + 4; ++n) sizes.push_back(n);
    for (size_t n = 100; n < 20000; n += 997) sizes.push_back(n);

    for (size_t n : sizes) {
        const std::string bytes = RandomBytes(n, random);
        const std::string text = codec.Encode(bytes);
        ASSERT_EQ(text, ReferenceEncoding(bytes)) << "n = " << n;
        ASSERT_EQ(codec.Decode(text), bytes) << "n = " << n;
    }
}

TEST_P(Base64Test, DecoderSkipsEverythingOutsideTheAlphabet) {
    Harness codec(GetParam());
    EXPECT_EQ(codec.Decode("Zm9v\r\nYmFy"), "foobar");
    EXPECT_EQ(codec.Decode(" Z m\t9\nv "), "foo");
    EXPECT_EQ(codec.Decode("Zm9vYg"), "foob") << "pads are optional";
    EXPECT_EQ(codec.Decode("Zm9vYmE"), "fooba");
    EXPECT_EQ(codec.Decode("Zm9v=Zm9v"), "foofoo") << "a pad does not end decoding";
    EXPECT_EQ(codec.Decode("Zm9vY"), "foo") << "one leftover character adds nothing";
    EXPECT_EQ(codec.Decode("Z"), "");
    EXPECT_EQ(codec.Decode("-_.!~*"), "") << "no URL-safe alphabet";
}

TEST_P(Base64Test, DecoderSkipsRunsOfAnyLengthAtAnyPlace) {
    // Runs between groups, inside them, across vector blocks, and longer
    // than a block; a run's bytes are the same or all different, and every
    // byte value outside the alphabet shows up.
    Harness codec(GetParam());
    std::mt19937 random(4);
    const std::string bytes = RandomBytes(3000, random);
    const std::string clean = codec.Encode(bytes);
    std::string junk = "\r";
    for (int c = 0; c < 256; ++c)
        if (!std::isalnum(c) && c != '+' && c != '/' && c != '\r') junk += static_cast<char>(c);
    for (size_t stride : {1, 2, 3, 4, 5, 7, 8, 12, 15, 16, 17, 31, 32, 33, 48, 64, 100, 2048}) {
        for (size_t run : {1, 2, 3, 4, 5, 15, 16, 17, 33, 70}) {
            std::string noisy;
            for (size_t i = 0; i < clean.size(); ++i) {
                if (i % stride == 0) {
                    for (size_t j = 0; j < run; ++j) noisy += junk[stride % 2 == 0 ? 0 : (i + j) % junk.size()];
                }
                noisy += clean[i];
            }
            ASSERT_EQ(codec.Decode(noisy), bytes) << "every " << stride << " characters, " << run << " skipped";
        }
    }
}

TEST_P(Base64Test, BadArgumentsAreRefusedWithoutReadingOrWriting) {
    const Base64Codec& codec = GetParam();
    const unsigned char src[3] = {'f', 'o', 'o'};
    const char text[] = "Zg==";  // one byte of output, bound 3
    unsigned char dst[8];
    std::fill(std::begin(dst), std::end(dst), kSentinel);
    EXPECT_EQ(codec.encode(nullptr, 3, dst, sizeof dst), 0);
    EXPECT_EQ(codec.encode(src, 0, dst, sizeof dst), 0);
    EXPECT_EQ(codec.encode(src, 3, dst, 3), 0) << "dstlen below the bound";
    EXPECT_EQ(codec.encode(src, 3, nullptr, sizeof dst), 0);
    EXPECT_EQ(codec.encode(src, 0xFFFFFFFFu, dst, 0xFFFFFFFFu), 0) << "a length whose bound does not fit";
    EXPECT_EQ(codec.decode(nullptr, 4, dst, sizeof dst), 0);
    EXPECT_EQ(codec.decode(text, 4, nullptr, sizeof dst), 0);
    EXPECT_EQ(codec.decode(text, 0, dst, sizeof dst), 0);
    EXPECT_EQ(codec.decode(text, 4, dst, 2), 0) << "one below the bound, although 1 byte would fit";
    EXPECT_EQ(codec.decode(text, 0xFFFFFFFEu, dst, 0xFFFFFFFFu), 0) << "a length whose bound does not fit";
    for (unsigned char b : dst) EXPECT_EQ(b, kSentinel);
    EXPECT_EQ(codec.encode(src, 3, dst, 4), 4);
    EXPECT_EQ(codec.decode(text, 4, dst, 3), 1);
    EXPECT_EQ(dst[0], 'f');
}
