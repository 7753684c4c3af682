// Both builds must derive, seal and open the same bytes: published answers, held against OpenSSL natively and
// Windows' CNG under Wine.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tests/contract/StorageBackends.h"
#include "tests/password/CryptoVectors.h"

namespace {

using cryptotest::derive;
using cryptotest::toHex;

std::vector<uint8_t> fromHex(std::string_view hex) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    return bytes;
}

class CryptoContract : public ::testing::Test {
protected:
    std::unique_ptr<ICrypto> m_owned = contract::makeCrypto();
    ICrypto& m_crypto = *m_owned;
};

TEST_F(CryptoContract, Pbkdf2GivesThePublishedAnswers) {
    for (const cryptotest::Pbkdf2Vector& vector :
         {cryptotest::kRfcPasswdSalt, cryptotest::kRfcPasswordNaCl, cryptotest::kPasswordSalt1,
          cryptotest::kPasswordSalt2, cryptotest::kPasswordSalt4096, cryptotest::kLongInputs,
          cryptotest::kEmbeddedNuls}) {
        EXPECT_EQ(derive(m_crypto, vector), vector.derivedHex) << vector.password << " " << vector.iterations;
    }
}

// One iteration is one HMAC-SHA256 over salt and block number, so these pin the HMAC: a password longer than
// the hash's block is hashed first, an empty one is a key of zeros, and UTF-8 is taken as it comes (the same
// word composed and decomposed gives two keys). Answers from Python's hashlib.
TEST_F(CryptoContract, HmacKeysOfEveryLengthAndUnnormalisedTextGiveTheirOwnAnswers) {
    const std::string longPassword(100, 'k');
    EXPECT_EQ(
        derive(m_crypto, {longPassword, "salt", 1, "85cb0af4398ca0237412dfaae8b51458fcf9afff0258d67c750e5d5475c0c29e"}),
        "85cb0af4398ca0237412dfaae8b51458fcf9afff0258d67c750e5d5475c0c29e");
    EXPECT_EQ(derive(m_crypto, {"", "salt", 1, "f135c27993baf98773c5cdb40a5706ce6a345cde61b000a67858650cd6a324d7"}),
              "f135c27993baf98773c5cdb40a5706ce6a345cde61b000a67858650cd6a324d7");
    EXPECT_EQ(derive(m_crypto, {"p\xC3\xA4ssw\xC3\xB6rd", "salt", 1,
                                "4f407a7b53b3a8237cd6e51e69d0c00380bab3b5fee42bc3c1efc31138e7e9ac"}),
              "4f407a7b53b3a8237cd6e51e69d0c00380bab3b5fee42bc3c1efc31138e7e9ac");
    EXPECT_EQ(derive(m_crypto, {"pa\xCC\x88ssw\xC3\xB6rd", "salt", 1,
                                "7184a2f67dc9122d77a3481c4c7f4c3ba6d13b55aab89e6b69107bd6414542a6"}),
              "7184a2f67dc9122d77a3481c4c7f4c3ba6d13b55aab89e6b69107bd6414542a6");
}

TEST_F(CryptoContract, Pbkdf2RefusesZeroIterationsAndAnEmptyKey) {
    const std::vector<uint8_t> salt{1, 2, 3, 4};
    auto noIterations = m_crypto.pbkdf2Sha256("password", salt, 0, 32);
    auto noKey = m_crypto.pbkdf2Sha256("password", salt, 1, 0);
    ASSERT_FALSE(noIterations.ok());
    ASSERT_FALSE(noKey.ok());
    EXPECT_EQ(noIterations.status().code(), errc::kInvalidParameter);
    EXPECT_EQ(noKey.status().code(), errc::kInvalidParameter);
}

struct GcmVector {
    std::string_view key, nonce, aad, plain, cipher, tag;
};

// The published AES-256-GCM test cases 13 to 16 (McGrew and Viega), and one with associated data only.
constexpr std::string_view kKey = "feffe9928665731c6d6a8f9467308308feffe9928665731c6d6a8f9467308308";
constexpr std::string_view kNonce = "cafebabefacedbaddecaf888";
constexpr std::string_view kAad = "feedfacedeadbeeffeedfacedeadbeefabaddad2";
constexpr std::string_view kPlain =
    "d9313225f88406e5a55909c5aff5269a86a7a9531534f7da2e4c303d8a318a721c3c0c95956809532fcf0e2449a6b525b16aedf5aa0de657"
    "ba637b391aafd255";
constexpr std::string_view kCipher =
    "522dc1f099567d07f47f37a32a84427d643a8cdcbfe5c0c97598a2bd2555d1aa8cb08e48590dbb3da7b08b1056828838c5f61e6393ba7a"
    "0abcc9f662898015ad";
constexpr std::string_view kZeros = "0000000000000000000000000000000000000000000000000000000000000000";
constexpr GcmVector kGcmVectors[] = {
    {kZeros, kZeros.substr(0, 24), "", "", "", "530f8afbc74536b9a963b4f1c4cb738b"},
    {kZeros, kZeros.substr(0, 24), "", kZeros.substr(0, 32), "cea7403d4d606b6e074ec5d3baf39d18",
     "d0d1c8a799996bf0265b98b5d48ab919"},
    {kKey, kNonce, "", kPlain, kCipher, "b094dac5d93471bdec1a502270e3cc6c"},
    {kKey, kNonce, kAad, kPlain.substr(0, 120), kCipher.substr(0, 120), "76fc6ece0f4e1768cddf8853bb2d551b"},
    {kKey, kNonce, kAad, "", "", "9f6be07603c0b0bd1272854063e9c9ba"},
};

TEST_F(CryptoContract, AesGcmSealsAndOpensThePublishedVectors) {
    for (const GcmVector& v : kGcmVectors) {
        const auto key = fromHex(v.key), nonce = fromHex(v.nonce), aad = fromHex(v.aad), plain = fromHex(v.plain);
        std::vector<uint8_t> cipher(plain.size()), tag(16), opened(plain.size());
        ASSERT_TRUE(m_crypto.aes256GcmSeal({key, nonce, aad, plain, cipher, tag}).ok()) << v.tag;
        EXPECT_EQ(toHex(cipher), v.cipher);
        EXPECT_EQ(toHex(tag), v.tag);
        ASSERT_TRUE(m_crypto.aes256GcmOpen({key, nonce, aad, cipher, tag, opened}).ok()) << v.tag;
        EXPECT_EQ(opened, plain);
    }
}

// Any changed byte of tag, cipher text or associated data is "invalid data"; sizes CNG refuses are refused alike.
TEST_F(CryptoContract, AesGcmRefusesAnyChangeAndWrongSizes) {
    const GcmVector& v = kGcmVectors[3];
    const auto key = fromHex(v.key), nonce = fromHex(v.nonce), aad = fromHex(v.aad);
    const auto cipher = fromHex(v.cipher), tag = fromHex(v.tag);
    std::vector<uint8_t> plain(cipher.size());
    auto changed = [](std::vector<uint8_t> bytes, size_t at) {
        bytes[at] ^= 0x01;
        return bytes;
    };
    EXPECT_EQ(m_crypto.aes256GcmOpen({key, nonce, aad, cipher, changed(tag, 15), plain}).code(), errc::kInvalidData);
    EXPECT_EQ(m_crypto.aes256GcmOpen({key, nonce, aad, changed(cipher, 0), tag, plain}).code(), errc::kInvalidData);
    EXPECT_EQ(m_crypto.aes256GcmOpen({key, nonce, changed(aad, 19), cipher, tag, plain}).code(), errc::kInvalidData);
    EXPECT_EQ(m_crypto.aes256GcmOpen({key, changed(nonce, 11), aad, cipher, tag, plain}).code(), errc::kInvalidData);

    std::vector<uint8_t> longNonce(16), shortKey(16), sealed(cipher.size()), outTag(16);
    EXPECT_EQ(m_crypto.aes256GcmSeal({key, longNonce, aad, plain, sealed, outTag}).code(), errc::kInvalidParameter);
    EXPECT_EQ(m_crypto.aes256GcmSeal({shortKey, nonce, aad, plain, sealed, outTag}).code(), errc::kInvalidParameter);
    EXPECT_EQ(m_crypto.aes256GcmOpen({key, nonce, aad, cipher, tag, std::span(plain).first(10)}).code(),
              errc::kInvalidParameter);
}

TEST_F(CryptoContract, RandomBytesComeInTheAskedLengthAndFreshEachTime) {
    for (size_t length : {1u, 16u, 33u}) {
        auto bytes = m_crypto.randomBytes(length);
        ASSERT_TRUE(bytes.ok());
        EXPECT_EQ(bytes.value().size(), length);
    }
    auto none = m_crypto.randomBytes(0);
    ASSERT_TRUE(none.ok());
    EXPECT_TRUE(none.value().empty());
    auto first = m_crypto.randomBytes(4096);
    auto second = m_crypto.randomBytes(4096);
    ASSERT_TRUE(first.ok());
    ASSERT_TRUE(second.ok());
    EXPECT_NE(first.value(), second.value());
    EXPECT_GT(std::set<uint8_t>(first.value().begin(), first.value().end()).size(), 200u);
}

}  // namespace
