// Windows' CNG behind WinCrypto (under Wine in CI): the same published PBKDF2 answers the OpenSSL build is held
// to, the system random source, and hash texts that must equal the ones the native build makes.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <iostream>
#include <set>
#include <vector>

#include "common/AccessPassword.h"
#include "platform/win32/WinCrypto.h"
#include "tests/password/CryptoVectors.h"

namespace {

using cryptotest::derive;

// The same texts are expected from OpenSSL natively (tests/password/AccessPassword_test.cpp).
constexpr const char* kFixedSaltBluejay =
    "pbkdf2-sha256$600000$AAECAwQFBgcICQoLDA0ODw==$Y0NzagCpocRXeQIQiJvIQf98XdgHw4RkCw54qP6k998=";
constexpr const char* kFixedSaltNonAscii =
    "pbkdf2-sha256$1000$AAECAwQFBgcICQoLDA0ODw==$uXr1q3Ze7zCofTFsHZzjNRinVd/RN3vYr3XA9XPyNCY=";
constexpr const char* kNonAsciiPassword = "pässwörd-ß€";

TEST(CryptoKnownAnswers, RfcPasswdSaltOneIteration) {
    WinCrypto crypto;
    EXPECT_EQ(derive(crypto, cryptotest::kRfcPasswdSalt), cryptotest::kRfcPasswdSalt.derivedHex);
}

TEST(CryptoKnownAnswers, RfcPasswordNaClEightyThousandIterations) {
    WinCrypto crypto;
    EXPECT_EQ(derive(crypto, cryptotest::kRfcPasswordNaCl), cryptotest::kRfcPasswordNaCl.derivedHex);
}

TEST(CryptoKnownAnswers, PasswordSaltAtOneTwoAnd4096Iterations) {
    WinCrypto crypto;
    EXPECT_EQ(derive(crypto, cryptotest::kPasswordSalt1), cryptotest::kPasswordSalt1.derivedHex);
    EXPECT_EQ(derive(crypto, cryptotest::kPasswordSalt2), cryptotest::kPasswordSalt2.derivedHex);
    EXPECT_EQ(derive(crypto, cryptotest::kPasswordSalt4096), cryptotest::kPasswordSalt4096.derivedHex);
}

TEST(CryptoKnownAnswers, LongInputsAndEmbeddedNulsAreTakenWhole) {
    WinCrypto crypto;
    EXPECT_EQ(derive(crypto, cryptotest::kLongInputs), cryptotest::kLongInputs.derivedHex);
    EXPECT_EQ(derive(crypto, cryptotest::kEmbeddedNuls), cryptotest::kEmbeddedNuls.derivedHex);
}

TEST(CryptoKnownAnswers, OneProviderServesManyDerivations) {
    WinCrypto crypto;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(derive(crypto, cryptotest::kPasswordSalt2), cryptotest::kPasswordSalt2.derivedHex);
    }
}

TEST(CryptoKnownAnswers, ZeroIterationsOrEmptyKeyAreRefused) {
    WinCrypto crypto;
    const std::vector<uint8_t> salt{1, 2, 3, 4};
    auto noIterations = crypto.pbkdf2Sha256("password", salt, 0, 32);
    auto noKey = crypto.pbkdf2Sha256("password", salt, 1, 0);
    ASSERT_FALSE(noIterations.ok());
    ASSERT_FALSE(noKey.ok());
    EXPECT_EQ(noIterations.status().api(), "BCryptDeriveKeyPBKDF2");
    EXPECT_NE(noKey.status().code(), 0u);
}

TEST(CryptoRandom, GivesTheAskedLengthAndNotOneRepeatedByte) {
    WinCrypto crypto;
    for (size_t length : {1u, 16u, 33u, 4096u}) {
        auto bytes = crypto.randomBytes(length);
        ASSERT_TRUE(bytes.ok()) << bytes.status().api() << " " << bytes.status().code();
        EXPECT_EQ(bytes.value().size(), length);
    }
    auto large = crypto.randomBytes(4096);
    ASSERT_TRUE(large.ok());
    const std::set<uint8_t> distinct(large.value().begin(), large.value().end());
    EXPECT_GT(distinct.size(), 200u);
    auto none = crypto.randomBytes(0);
    ASSERT_TRUE(none.ok());
    EXPECT_TRUE(none.value().empty());
}

TEST(CryptoRandom, TwoDrawsDiffer) {
    WinCrypto crypto;
    auto first = crypto.randomBytes(16);
    auto second = crypto.randomBytes(16);
    ASSERT_TRUE(first.ok());
    ASSERT_TRUE(second.ok());
    EXPECT_NE(first.value(), second.value());
}

TEST(CryptoAcrossBackends, FixedSaltGivesTheTextOpenSslGivesToo) {
    WinCrypto real;
    cryptotest::FixedSaltCrypto fixed(real);
    const auto start = std::chrono::steady_clock::now();
    auto bluejay = hashAccessPassword(fixed, "bluejay");
    const auto took = std::chrono::steady_clock::now() - start;
    auto nonAscii = hashAccessPassword(fixed, kNonAsciiPassword, 1000);
    ASSERT_TRUE(bluejay.ok()) << bluejay.status().api();
    ASSERT_TRUE(nonAscii.ok()) << nonAscii.status().api();
    EXPECT_EQ(bluejay.value(), kFixedSaltBluejay);
    EXPECT_EQ(nonAscii.value(), kFixedSaltNonAscii);
    std::cout << "[ timing   ] one 600000-iteration hash through CNG: "
              << std::chrono::duration_cast<std::chrono::milliseconds>(took).count() << " ms\n";
}

TEST(CryptoAcrossBackends, NativeHashTextsAreCheckedHere) {
    WinCrypto crypto;
    EXPECT_TRUE(accessPasswordMatches(crypto, kFixedSaltNonAscii, kNonAsciiPassword));
    EXPECT_FALSE(accessPasswordMatches(crypto, kFixedSaltNonAscii, "passwort"));
    EXPECT_TRUE(isDefaultAccessPassword(crypto, kFixedSaltBluejay));
}

TEST(CryptoAcrossBackends, FreshHashWithRealSaltMatchesOnlyItsPassword) {
    WinCrypto crypto;
    auto stored = hashAccessPassword(crypto, "opensesame", 1000);
    ASSERT_TRUE(stored.ok()) << stored.status().api();
    EXPECT_TRUE(stored.value().starts_with("pbkdf2-sha256$1000$")) << stored.value();
    EXPECT_TRUE(accessPasswordMatches(crypto, stored.value(), "opensesame"));
    EXPECT_FALSE(accessPasswordMatches(crypto, stored.value(), "opensesam"));
}

}  // namespace
