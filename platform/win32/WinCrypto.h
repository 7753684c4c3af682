#pragma once
// bcrypt.h needs the types <windows.h> defines, so the order must stay.
// clang-format off
#include <windows.h>
#include <bcrypt.h>
// clang-format on

#include <array>

#include "platform/ICrypto.h"
#include "platform/win32/UniqueHandle.h"

struct BCryptAlgTraits {
    using Type = BCRYPT_ALG_HANDLE;
    static Type invalid() { return nullptr; }
    static bool isValid(Type h) { return h != nullptr; }
    static void close(Type h) { ::BCryptCloseAlgorithmProvider(h, 0); }
};
using UniqueBCryptAlg = UniqueHandle<BCryptAlgTraits>;

struct BCryptKeyTraits {
    using Type = BCRYPT_KEY_HANDLE;
    static Type invalid() { return nullptr; }
    static bool isValid(Type h) { return h != nullptr; }
    static void close(Type h) { ::BCryptDestroyKey(h); }
};
using UniqueBCryptKey = UniqueHandle<BCryptKeyTraits>;

// Windows' own CNG (bcrypt.dll), so the program ships no cryptographic library.
class WinCrypto final : public ICrypto {
public:
    Result<std::vector<uint8_t>> randomBytes(size_t count) override;
    Result<std::vector<uint8_t>> pbkdf2Sha256(std::string_view password, std::span<const uint8_t> salt,
                                              uint32_t iterations, size_t length) override;
    Status aes256GcmSeal(const GcmSealArgs& args) override;
    Status aes256GcmOpen(const GcmOpenArgs& args) override;
    void forgetKeys() override;
    ~WinCrypto() override { forgetKeys(); }

private:
    Status openHmacSha256();
    Status useGcmKey(std::span<const uint8_t> key);
    UniqueBCryptAlg m_hmacSha256;
    UniqueBCryptAlg m_aesGcm;
    UniqueBCryptKey m_gcmKey;  // made for m_gcmKeyBytes; a file's chunks all use one key
    std::array<uint8_t, 32> m_gcmKeyBytes{};
};
