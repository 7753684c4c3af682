#pragma once
#include "platform/ICrypto.h"

namespace sim {

// The native builds' cryptography: OpenSSL's libcrypto, which gives the same bytes as Windows' CNG.
class OpenSslCrypto final : public ICrypto {
public:
    Result<std::vector<uint8_t>> randomBytes(size_t count) override;
    Result<std::vector<uint8_t>> pbkdf2Sha256(std::string_view password, std::span<const uint8_t> salt,
                                              uint32_t iterations, size_t length) override;
    Status aes256GcmSeal(const GcmSealArgs& args) override;
    Status aes256GcmOpen(const GcmOpenArgs& args) override;
};

}  // namespace sim
