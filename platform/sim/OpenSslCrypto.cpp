#include "platform/sim/OpenSslCrypto.h"

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <climits>

namespace sim {

namespace {

// Windows' numbers, as on the other backend: ERROR_INVALID_PARAMETER and ERROR_GEN_FAILURE.
constexpr uint32_t kInvalidParameter = 87;
constexpr uint32_t kGenFailure = 31;

bool fitsInt(size_t size) {
    return size <= static_cast<size_t>(INT_MAX);
}

Status openSslFailure(const char* api) {
    // The error queue is per thread and would otherwise be blamed on the next unrelated call.
    ERR_clear_error();
    return Status::failure(kGenFailure, api);
}

}  // namespace

Result<std::vector<uint8_t>> OpenSslCrypto::randomBytes(size_t count) {
    if (!fitsInt(count)) return Status::failure(kInvalidParameter, "RAND_bytes");
    std::vector<uint8_t> bytes(count);
    if (count == 0) return bytes;
    if (RAND_bytes(bytes.data(), static_cast<int>(count)) != 1) return openSslFailure("RAND_bytes");
    return bytes;
}

// Zero iterations or an empty key are refused here as CNG refuses them, so both backends fail alike.
Result<std::vector<uint8_t>> OpenSslCrypto::pbkdf2Sha256(std::string_view password, std::span<const uint8_t> salt,
                                                         uint32_t iterations, size_t length) {
    if (iterations == 0 || iterations > static_cast<uint32_t>(INT_MAX) || length == 0 || !fitsInt(length) ||
        !fitsInt(password.size()) || !fitsInt(salt.size())) {
        return Status::failure(kInvalidParameter, "PKCS5_PBKDF2_HMAC");
    }
    std::vector<uint8_t> key(length);
    if (PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()), salt.data(),
                          static_cast<int>(salt.size()), static_cast<int>(iterations), EVP_sha256(),
                          static_cast<int>(length), key.data()) != 1) {
        return openSslFailure("PKCS5_PBKDF2_HMAC");
    }
    return key;
}

}  // namespace sim
