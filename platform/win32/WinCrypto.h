#pragma once
// bcrypt.h needs the types <windows.h> defines, so the order must stay.
// clang-format off
#include <windows.h>
#include <bcrypt.h>
// clang-format on

#include "platform/ICrypto.h"
#include "platform/win32/UniqueHandle.h"

struct BCryptAlgTraits {
    using Type = BCRYPT_ALG_HANDLE;
    static Type invalid() { return nullptr; }
    static bool isValid(Type h) { return h != nullptr; }
    static void close(Type h) { ::BCryptCloseAlgorithmProvider(h, 0); }
};
using UniqueBCryptAlg = UniqueHandle<BCryptAlgTraits>;

// Windows' own CNG (bcrypt.dll), so the program ships no cryptographic library.
class WinCrypto final : public ICrypto {
public:
    Result<std::vector<uint8_t>> randomBytes(size_t count) override;
    Result<std::vector<uint8_t>> pbkdf2Sha256(std::string_view password, std::span<const uint8_t> salt,
                                              uint32_t iterations, size_t length) override;

private:
    Status openHmacSha256();
    UniqueBCryptAlg m_hmacSha256;
};
