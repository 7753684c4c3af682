// The access password's stored forms on the native backend: the salted hash text, older plain-text values,
// damaged hash texts and a random source that fails.
#include "common/AccessPassword.h"

#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "common/Base64.h"
#include "platform/sim/OpenSslCrypto.h"
#include "tests/password/CryptoVectors.h"

namespace {

using cryptotest::FixedSaltCrypto;

// The same texts are expected from CNG under Wine (tests/win32/Crypto_test.cpp).
constexpr const char* kFixedSaltBluejay =
    "pbkdf2-sha256$600000$AAECAwQFBgcICQoLDA0ODw==$Y0NzagCpocRXeQIQiJvIQf98XdgHw4RkCw54qP6k998=";
constexpr const char* kFixedSaltNonAscii =
    "pbkdf2-sha256$1000$AAECAwQFBgcICQoLDA0ODw==$uXr1q3Ze7zCofTFsHZzjNRinVd/RN3vYr3XA9XPyNCY=";
constexpr const char* kNonAsciiPassword = "pässwörd-ß€";

// Few iterations keep the suite fast; the count travels in the text, so matching is the same at any count.
constexpr uint32_t kFewIterations = 1000;

class SettingAPassword : public ::testing::Test {
protected:
    std::string hash(std::string_view password, uint32_t iterations = kFewIterations) {
        auto text = hashAccessPassword(m_crypto, password, iterations);
        EXPECT_TRUE(text.ok()) << text.status().api();
        return text.ok() ? text.value() : std::string();
    }
    sim::OpenSslCrypto m_crypto;
};

TEST_F(SettingAPassword, TheSamePasswordMatchesItsHash) {
    const std::string stored = hash("opensesame");
    EXPECT_TRUE(accessPasswordMatches(m_crypto, stored, "opensesame"));
}

TEST_F(SettingAPassword, AnyOtherTypedTextIsRefused) {
    const std::string stored = hash("opensesame");
    EXPECT_FALSE(accessPasswordMatches(m_crypto, stored, "opensesam"));
    EXPECT_FALSE(accessPasswordMatches(m_crypto, stored, "opensesamee"));
    EXPECT_FALSE(accessPasswordMatches(m_crypto, stored, "OPENSESAME"));
    EXPECT_FALSE(accessPasswordMatches(m_crypto, stored, ""));
    EXPECT_FALSE(accessPasswordMatches(m_crypto, stored, kDefaultAccessPassword));
}

TEST_F(SettingAPassword, StoredTextHoldsNeitherThePasswordNorItsCapitalsLost) {
    const std::string stored = hash("opensesame");
    EXPECT_EQ(stored.find("opensesame"), std::string::npos);
    // The configuration load keeps the hash as it is; lower-casing its base64 would break it.
    EXPECT_EQ(accessPasswordFromStored(stored), stored);
    EXPECT_TRUE(accessPasswordMatches(m_crypto, accessPasswordFromStored(stored), "opensesame"));
}

TEST_F(SettingAPassword, TheHashTextHasTheAgreedShape) {
    const std::string stored = hash("opensesame");
    ASSERT_TRUE(stored.starts_with("pbkdf2-sha256$1000$")) << stored;
    const std::string rest = stored.substr(std::string("pbkdf2-sha256$1000$").size());
    const size_t separator = rest.find('$');
    ASSERT_NE(separator, std::string::npos);
    auto salt = base64Decode(rest.substr(0, separator));
    auto key = base64Decode(rest.substr(separator + 1));
    ASSERT_TRUE(salt && key) << stored;
    EXPECT_EQ(salt->size(), 16u);
    EXPECT_EQ(key->size(), 32u);
}

TEST_F(SettingAPassword, TwoHashesOfOnePasswordDifferBySalt) {
    const std::string first = hash("opensesame");
    const std::string second = hash("opensesame");
    EXPECT_NE(first, second);
    EXPECT_TRUE(accessPasswordMatches(m_crypto, second, "opensesame"));
}

TEST_F(SettingAPassword, NonAsciiPasswordMatchesByItsUtf8Bytes) {
    const std::string stored = hash(kNonAsciiPassword);
    EXPECT_TRUE(accessPasswordMatches(m_crypto, stored, kNonAsciiPassword));
    EXPECT_FALSE(accessPasswordMatches(m_crypto, stored, "passwort-ss€"));
}

TEST_F(SettingAPassword, DefaultCountIsTheFullWorkFactor) {
    const auto start = std::chrono::steady_clock::now();
    auto stored = hashAccessPassword(m_crypto, "opensesame");
    const auto took = std::chrono::steady_clock::now() - start;
    ASSERT_TRUE(stored.ok());
    EXPECT_TRUE(stored.value().starts_with("pbkdf2-sha256$600000$")) << stored.value();
    // Shown, not asserted: a person waits this long after OK, and a loaded build machine says little about it.
    std::cout << "[ timing   ] one 600000-iteration hash: "
              << std::chrono::duration_cast<std::chrono::milliseconds>(took).count() << " ms\n";
}

TEST(HashAcrossBackends, FixedSaltGivesTheTextCngGivesToo) {
    sim::OpenSslCrypto real;
    FixedSaltCrypto fixed(real);
    auto bluejay = hashAccessPassword(fixed, "bluejay");
    auto nonAscii = hashAccessPassword(fixed, kNonAsciiPassword, kFewIterations);
    ASSERT_TRUE(bluejay.ok());
    ASSERT_TRUE(nonAscii.ok());
    EXPECT_EQ(bluejay.value(), kFixedSaltBluejay);
    EXPECT_EQ(nonAscii.value(), kFixedSaltNonAscii);
    EXPECT_TRUE(accessPasswordMatches(real, kFixedSaltNonAscii, kNonAsciiPassword));
}

class PlainTextFromOlderInstallation : public ::testing::Test {
protected:
    sim::OpenSslCrypto m_crypto;
};

TEST_F(PlainTextFromOlderInstallation, CapitalsInTheStoredValueStillMatchLowerCaseTyping) {
    EXPECT_TRUE(accessPasswordMatches(m_crypto, "OpenSesame", "opensesame"));
    EXPECT_EQ(accessPasswordFromStored("OpenSesame"), "opensesame");
}

TEST_F(PlainTextFromOlderInstallation, OtherTextIsRefused) {
    EXPECT_FALSE(accessPasswordMatches(m_crypto, "OpenSesame", "opensesam"));
    EXPECT_FALSE(accessPasswordMatches(m_crypto, "OpenSesame", ""));
    EXPECT_FALSE(accessPasswordMatches(m_crypto, "OpenSesame", kDefaultAccessPassword));
}

TEST_F(PlainTextFromOlderInstallation, OnlyAsciiLettersAreLowered) {
    // Lowering bytes above 0x7F one by one would tear UTF-8 sequences apart.
    EXPECT_EQ(accessPasswordFromStored("ÄÖÜ-ABC-Σ-123"), "ÄÖÜ-abc-Σ-123");
    EXPECT_TRUE(accessPasswordMatches(m_crypto, "ÄbC", "Äbc"));
    EXPECT_FALSE(accessPasswordMatches(m_crypto, "ÄbC", "äbc"));
}

TEST_F(PlainTextFromOlderInstallation, EmptyValueMeansTheDefault) {
    EXPECT_TRUE(accessPasswordMatches(m_crypto, "", "bluejay"));
    EXPECT_FALSE(accessPasswordMatches(m_crypto, "", ""));
    EXPECT_FALSE(accessPasswordMatches(m_crypto, "", "bluejays"));
    EXPECT_EQ(accessPasswordFromStored(""), "");
}

TEST_F(PlainTextFromOlderInstallation, PrefixInOtherCaseIsPlainText) {
    const std::string shouted = "PBKDF2-SHA256$1000$AAAAAAAAAAAAAAAAAAAAAA==$X";
    EXPECT_EQ(accessPasswordFromStored(shouted), "pbkdf2-sha256$1000$aaaaaaaaaaaaaaaaaaaaaa==$x");
    EXPECT_TRUE(accessPasswordMatches(m_crypto, shouted, "pbkdf2-sha256$1000$aaaaaaaaaaaaaaaaaaaaaa==$x"));
}

TEST(DefaultAccessPassword, EmptyAndBluejayInAnyCaseAreTheDefault) {
    sim::OpenSslCrypto crypto;
    EXPECT_TRUE(isDefaultAccessPassword(crypto, ""));
    EXPECT_TRUE(isDefaultAccessPassword(crypto, "bluejay"));
    EXPECT_TRUE(isDefaultAccessPassword(crypto, "BLUEJAY"));
    EXPECT_TRUE(isDefaultAccessPassword(crypto, "BlueJay"));
}

TEST(DefaultAccessPassword, AHashOfBluejayIsTheDefault) {
    sim::OpenSslCrypto crypto;
    auto stored = hashAccessPassword(crypto, "bluejay", kFewIterations);
    ASSERT_TRUE(stored.ok());
    EXPECT_TRUE(isDefaultAccessPassword(crypto, stored.value()));
}

TEST(DefaultAccessPassword, AnythingElseIsNot) {
    sim::OpenSslCrypto crypto;
    auto other = hashAccessPassword(crypto, "robin", kFewIterations);
    ASSERT_TRUE(other.ok());
    EXPECT_FALSE(isDefaultAccessPassword(crypto, other.value()));
    EXPECT_FALSE(isDefaultAccessPassword(crypto, "robin"));
    EXPECT_FALSE(isDefaultAccessPassword(crypto, "bluejay "));
    EXPECT_FALSE(isDefaultAccessPassword(crypto, "pbkdf2-sha256$"));
}

// Records what the logic asks of the machine and answers with what the test sets.
class ScriptedCrypto final : public ICrypto {
public:
    Result<std::vector<uint8_t>> randomBytes(size_t count) override {
        ++randomCalls;
        if (randomFailure) return *randomFailure;
        return std::vector<uint8_t>(randomLength.value_or(count), 7);
    }
    Result<std::vector<uint8_t>> pbkdf2Sha256(std::string_view, std::span<const uint8_t>, uint32_t iterations,
                                              size_t length) override {
        ++deriveCalls;
        lastIterations = iterations;
        if (deriveFailure) return *deriveFailure;
        return std::vector<uint8_t>(length, 9);
    }
    std::optional<Status> randomFailure;
    std::optional<Status> deriveFailure;
    std::optional<size_t> randomLength;
    int randomCalls = 0;
    int deriveCalls = 0;
    uint32_t lastIterations = 0;
};

TEST(HashingWhenTheMachineFails, FailingRandomSourceFailsTheHashWithItsReason) {
    ScriptedCrypto crypto;
    crypto.randomFailure = Status::failure(0x80090020, "BCryptGenRandom");
    auto stored = hashAccessPassword(crypto, "opensesame", kFewIterations);
    ASSERT_FALSE(stored.ok());
    EXPECT_EQ(stored.status().code(), 0x80090020u);
    EXPECT_EQ(stored.status().api(), "BCryptGenRandom");
    EXPECT_EQ(crypto.deriveCalls, 0);
}

TEST(HashingWhenTheMachineFails, FailingDerivationFailsTheHash) {
    ScriptedCrypto crypto;
    crypto.deriveFailure = Status::failure(31, "PKCS5_PBKDF2_HMAC");
    auto stored = hashAccessPassword(crypto, "opensesame", kFewIterations);
    ASSERT_FALSE(stored.ok());
    EXPECT_EQ(stored.status().api(), "PKCS5_PBKDF2_HMAC");
}

TEST(HashingWhenTheMachineFails, ShortSaltIsNotStored) {
    ScriptedCrypto crypto;
    crypto.randomLength = 4;
    EXPECT_FALSE(hashAccessPassword(crypto, "opensesame", kFewIterations).ok());
}

TEST(HashingWhenTheMachineFails, FailingDerivationNeverVouchesForAPassword) {
    sim::OpenSslCrypto real;
    auto stored = hashAccessPassword(real, "opensesame", kFewIterations);
    ASSERT_TRUE(stored.ok());
    ScriptedCrypto failing;
    failing.deriveFailure = Status::failure(31, "BCryptDeriveKeyPBKDF2");
    EXPECT_FALSE(accessPasswordMatches(failing, stored.value(), "opensesame"));
    EXPECT_EQ(failing.deriveCalls, 1);
}

TEST(HashingWhenTheMachineFails, CountsAStoredHashCouldNotCarryAreRefusedUpFront) {
    ScriptedCrypto crypto;
    EXPECT_FALSE(hashAccessPassword(crypto, "opensesame", 0).ok());
    EXPECT_FALSE(hashAccessPassword(crypto, "opensesame", 10'000'001).ok());
    EXPECT_EQ(crypto.randomCalls + crypto.deriveCalls, 0);
    EXPECT_TRUE(hashAccessPassword(crypto, "opensesame", 10'000'000).ok());
    EXPECT_EQ(crypto.lastIterations, 10'000'000u);
}

// A valid hash of "bluejay" at 1000 iterations with the fixed salt, taken apart so each test damages one piece.
constexpr const char* kSaltText = "AAECAwQFBgcICQoLDA0ODw==";

class DamagedStoredHash : public ::testing::Test {
protected:
    void SetUp() override {
        FixedSaltCrypto fixed(m_crypto);
        auto stored = hashAccessPassword(fixed, "bluejay", kFewIterations);
        ASSERT_TRUE(stored.ok());
        m_valid = stored.value();
        m_key = m_valid.substr(m_valid.rfind('$') + 1);
        ASSERT_TRUE(accessPasswordMatches(m_crypto, m_valid, "bluejay"));
    }
    std::string build(std::string_view iterations, std::string_view salt, std::string_view key) const {
        return "pbkdf2-sha256$" + std::string(iterations) + "$" + std::string(salt) + "$" + std::string(key);
    }
    // Damaged text is never the password, and never the default either.
    void expectRefused(const std::string& stored) {
        SCOPED_TRACE(stored);
        EXPECT_FALSE(accessPasswordMatches(m_scripted, stored, "bluejay"));
        EXPECT_FALSE(accessPasswordMatches(m_crypto, stored, "bluejay"));
        EXPECT_FALSE(isDefaultAccessPassword(m_crypto, stored));
        EXPECT_EQ(accessPasswordFromStored(stored), stored);
    }
    sim::OpenSslCrypto m_crypto;
    ScriptedCrypto m_scripted;
    std::string m_valid;
    std::string m_key;
};

TEST_F(DamagedStoredHash, MissingOrExtraFieldsNeverMatch) {
    expectRefused("pbkdf2-sha256$");
    expectRefused("pbkdf2-sha256$1000");
    expectRefused("pbkdf2-sha256$1000$" + std::string(kSaltText));
    expectRefused(build("1000", kSaltText, ""));
    expectRefused(build("1000", "", m_key));
    expectRefused(build("", kSaltText, m_key));
    expectRefused(m_valid + "$");
    expectRefused(m_valid + "$" + m_key);
    EXPECT_EQ(m_scripted.deriveCalls, 0);
}

TEST_F(DamagedStoredHash, IterationCountsOutsideTheirBoundsAreNeverRun) {
    for (const char* count : {"0", "10000001", "99999999", "4294968296", "18446744073709551617", "-1000"}) {
        expectRefused(build(count, kSaltText, m_key));
    }
    EXPECT_EQ(m_scripted.deriveCalls, 0);
    accessPasswordMatches(m_scripted, build("10000000", kSaltText, m_key), "bluejay");
    EXPECT_EQ(m_scripted.deriveCalls, 1);
    EXPECT_EQ(m_scripted.lastIterations, 10'000'000u);
}

TEST_F(DamagedStoredHash, IterationCountsSpelledOtherwiseAreRefused) {
    for (const char* count : {"+1000", "01000", " 1000", "1000 ", "1e3", "0x3e8", "1,000", "1000\n"}) {
        expectRefused(build(count, kSaltText, m_key));
    }
    EXPECT_EQ(m_scripted.deriveCalls, 0);
}

TEST_F(DamagedStoredHash, SaltOrKeyThatIsNotStrictBase64IsRefused) {
    expectRefused(build("1000", "AAECAwQFBgcICQoLDA0ODw", m_key));    // padding dropped
    expectRefused(build("1000", "AAECAwQFBgcICQoLDA0ODx==", m_key));  // leftover bits set
    expectRefused(build("1000", "AAECAwQFBgcICQoLDA0OD*==", m_key));
    expectRefused(build("1000", "AAECAwQF BgcICQoLDA0ODw==", m_key));
    expectRefused(build("1000", "AAECAwQF\nBgcICQoLDA0ODw==", m_key));
    expectRefused(build("1000", kSaltText, m_key.substr(0, m_key.size() - 1)));
    expectRefused(build("1000", kSaltText, "-" + m_key.substr(1)));  // URL-safe alphabet
    EXPECT_EQ(m_scripted.deriveCalls, 0);
}

TEST_F(DamagedStoredHash, KeyOfTheWrongLengthIsRefused) {
    auto key = base64Decode(m_key);
    ASSERT_TRUE(key);
    std::vector<uint8_t> shorter(key->begin(), key->end() - 1);
    std::vector<uint8_t> longer(*key);
    longer.push_back(0);
    expectRefused(build("1000", kSaltText, base64Encode(shorter)));
    expectRefused(build("1000", kSaltText, base64Encode(longer)));
    EXPECT_EQ(m_scripted.deriveCalls, 0);
}

TEST_F(DamagedStoredHash, SaltTooShortOrTooLongIsRefused) {
    expectRefused(build("1000", base64Encode(std::vector<uint8_t>(7, 1)), m_key));
    expectRefused(build("1000", base64Encode(std::vector<uint8_t>(65, 1)), m_key));
    EXPECT_EQ(m_scripted.deriveCalls, 0);
}

TEST_F(DamagedStoredHash, AlteredCountSaltOrKeyNoLongerMatches) {
    auto key = base64Decode(m_key);
    ASSERT_TRUE(key);
    std::vector<uint8_t> flipped(*key);
    flipped.back() ^= 1;
    expectRefused(build("1001", kSaltText, m_key));
    expectRefused(build("1000", "AQECAwQFBgcICQoLDA0ODw==", m_key));
    expectRefused(build("1000", kSaltText, base64Encode(flipped)));
}

}  // namespace
