#pragma once
// Published PBKDF2-HMAC-SHA256 answers and a fixed-salt stand-in, shared by the native suite (OpenSSL) and the
// Win32 suite (CNG under Wine), so both backends are held to the same bytes.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ICrypto.h"

namespace cryptotest {

struct Pbkdf2Vector {
    std::string_view password;
    std::string_view salt;
    uint32_t iterations;
    std::string_view derivedHex;
};

// RFC 7914, section 11.
inline constexpr Pbkdf2Vector kRfcPasswdSalt{"passwd", "salt", 1,
                                             "55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc"
                                             "49ca9cccf179b645991664b39d77ef317c71b845b1e30bd509112041d3a19783"};
inline constexpr Pbkdf2Vector kRfcPasswordNaCl{"Password", "NaCl", 80000,
                                               "4ddcd8f60b98be21830cee5ef22701f9641a4418d04c0414aeff08876b34ab56"
                                               "a1d425a1225833549adb841b51c9b3176a272bdebba1d078478f62b397f33c8d"};
// The widely published "password"/"salt" answers, and the long and NUL-bearing inputs from the same set.
inline constexpr Pbkdf2Vector kPasswordSalt1{"password", "salt", 1,
                                             "120fb6cffcf8b32c43e7225256c4f837a86548c92ccc35480805987cb70be17b"};
inline constexpr Pbkdf2Vector kPasswordSalt2{"password", "salt", 2,
                                             "ae4d0c95af6b46d32d0adff928f06dd02a303f8ef3c251dfd6e2d85a95474c43"};
inline constexpr Pbkdf2Vector kPasswordSalt4096{"password", "salt", 4096,
                                                "c5e478d59288c841aa530db6845c4c8d962893a001ce4e11a4963873aa98134a"};
inline constexpr Pbkdf2Vector kLongInputs{
    "passwordPASSWORDpassword", "saltSALTsaltSALTsaltSALTsaltSALTsalt", 4096,
    "348c89dbcbd32b2f32d814b8116e84cf2b17347ebc1800181c4e2a1fb8dd53e1c635518c7dac47e9"};
inline constexpr Pbkdf2Vector kEmbeddedNuls{std::string_view("pass\0word", 9), std::string_view("sa\0lt", 5), 4096,
                                            "89b69d0516f829893c696226650a8687"};

inline std::string toHex(std::span<const uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (uint8_t byte : bytes) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 15];
    }
    return hex;
}

// What the backend derives for a vector, as hex; a failure shows as the API that failed.
inline std::string derive(ICrypto& crypto, const Pbkdf2Vector& vector) {
    const auto* salt = reinterpret_cast<const uint8_t*>(vector.salt.data());
    auto key = crypto.pbkdf2Sha256(vector.password, std::span(salt, vector.salt.size()), vector.iterations,
                                   vector.derivedHex.size() / 2);
    if (!key.ok()) return "failed in " + key.status().api();
    return toHex(key.value());
}

// The bytes 0, 1, ..., 15 as every salt, so a hash text can be known in advance; derivation is the real backend's.
class FixedSaltCrypto final : public ICrypto {
public:
    explicit FixedSaltCrypto(ICrypto& real) : m_real(real) {}
    Result<std::vector<uint8_t>> randomBytes(size_t count) override {
        std::vector<uint8_t> bytes(count);
        for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(i);
        return bytes;
    }
    Result<std::vector<uint8_t>> pbkdf2Sha256(std::string_view password, std::span<const uint8_t> salt,
                                              uint32_t iterations, size_t length) override {
        return m_real.pbkdf2Sha256(password, salt, iterations, length);
    }

private:
    ICrypto& m_real;
};

}  // namespace cryptotest
