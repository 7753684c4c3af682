// The base64 of the stored hash: the RFC 4648 answers, and decoding that takes only the one canonical spelling.
#include "common/Base64.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<uint8_t> bytesOf(std::string_view text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

TEST(Base64Text, EncodesTheRfcExamples) {
    EXPECT_EQ(base64Encode(bytesOf("")), "");
    EXPECT_EQ(base64Encode(bytesOf("f")), "Zg==");
    EXPECT_EQ(base64Encode(bytesOf("fo")), "Zm8=");
    EXPECT_EQ(base64Encode(bytesOf("foo")), "Zm9v");
    EXPECT_EQ(base64Encode(bytesOf("foob")), "Zm9vYg==");
    EXPECT_EQ(base64Encode(bytesOf("fooba")), "Zm9vYmE=");
    EXPECT_EQ(base64Encode(bytesOf("foobar")), "Zm9vYmFy");
}

TEST(Base64Text, EveryByteValueSurvivesTheRoundTrip) {
    for (size_t length : {253u, 254u, 255u, 256u}) {
        std::vector<uint8_t> bytes(length);
        for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(255 - i);
        const std::string text = base64Encode(bytes);
        EXPECT_EQ(text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/="),
                  std::string::npos);
        EXPECT_EQ(base64Decode(text), bytes) << text;
    }
}

TEST(Base64Text, DecodesTheRfcExamples) {
    EXPECT_EQ(base64Decode(""), bytesOf(""));
    EXPECT_EQ(base64Decode("Zg=="), bytesOf("f"));
    EXPECT_EQ(base64Decode("Zm8="), bytesOf("fo"));
    EXPECT_EQ(base64Decode("Zm9vYmFy"), bytesOf("foobar"));
    EXPECT_EQ(base64Decode("+/+/"), (std::vector<uint8_t>{0xFB, 0xFF, 0xBF}));
}

TEST(Base64Text, AnythingButTheCanonicalSpellingIsRefused) {
    for (const char* text : {"Zg", "Zg=", "Zg===", "Zh==", "Zm9=", "Z===", "====", "Zg==Zm9v", "Zm=v", "Zm9v ", " Zm9v",
                             "Zm9\nv", "Zm9-", "Zm9_"}) {
        EXPECT_FALSE(base64Decode(text).has_value()) << text;
    }
    EXPECT_FALSE(base64Decode(std::string_view("Zm\0v", 4)).has_value());
}

}  // namespace
