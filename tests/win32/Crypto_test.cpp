// Windows' CNG behind WinCrypto (under Wine in CI): hash texts that must equal the ones the native build makes.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <iostream>

#include "common/AccessPassword.h"
#include "platform/win32/WinCrypto.h"
#include "tests/password/CryptoVectors.h"

namespace {

// The same texts are expected from OpenSSL natively (tests/password/AccessPassword_test.cpp).
constexpr const char* kFixedSaltBluejay =
    "pbkdf2-sha256$600000$AAECAwQFBgcICQoLDA0ODw==$Y0NzagCpocRXeQIQiJvIQf98XdgHw4RkCw54qP6k998=";
constexpr const char* kFixedSaltNonAscii =
    "pbkdf2-sha256$1000$AAECAwQFBgcICQoLDA0ODw==$uXr1q3Ze7zCofTFsHZzjNRinVd/RN3vYr3XA9XPyNCY=";
constexpr const char* kNonAsciiPassword = "pässwörd-ß€";

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
