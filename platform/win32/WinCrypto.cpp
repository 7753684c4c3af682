#include "platform/win32/WinCrypto.h"

#include <limits>

namespace {

bool fitsUlong(size_t size) {
    return size <= size_t{std::numeric_limits<ULONG>::max()};
}

// CNG reports NTSTATUS values; they are kept as they are, since the logic only tells success from failure.
Status ntFailure(NTSTATUS status, const char* api) {
    return Status::failure(static_cast<uint32_t>(status), api);
}

}  // namespace

Result<std::vector<uint8_t>> WinCrypto::randomBytes(size_t count) {
    if (!fitsUlong(count)) return Status::failure(ERROR_INVALID_PARAMETER, "BCryptGenRandom");
    std::vector<uint8_t> bytes(count);
    if (count == 0) return bytes;
    NTSTATUS status =
        ::BCryptGenRandom(nullptr, bytes.data(), static_cast<ULONG>(count), BCRYPT_USE_SYSTEM_PREFERRED_RNG);
    if (!BCRYPT_SUCCESS(status)) return ntFailure(status, "BCryptGenRandom");
    return bytes;
}

// Opened on first use and kept: a failure then reaches the caller that needed the key, with the API that failed.
Status WinCrypto::openHmacSha256() {
    if (m_hmacSha256) return Status::success();
    NTSTATUS status = ::BCryptOpenAlgorithmProvider(m_hmacSha256.put(), BCRYPT_SHA256_ALGORITHM, nullptr,
                                                    BCRYPT_ALG_HANDLE_HMAC_FLAG);
    if (!BCRYPT_SUCCESS(status)) {
        m_hmacSha256.release();
        return ntFailure(status, "BCryptOpenAlgorithmProvider");
    }
    return Status::success();
}

Result<std::vector<uint8_t>> WinCrypto::pbkdf2Sha256(std::string_view password, std::span<const uint8_t> salt,
                                                     uint32_t iterations, size_t length) {
    if (iterations == 0 || length == 0 || !fitsUlong(length) || !fitsUlong(password.size()) ||
        !fitsUlong(salt.size())) {
        return Status::failure(ERROR_INVALID_PARAMETER, "BCryptDeriveKeyPBKDF2");
    }
    if (Status opened = openHmacSha256(); !opened.ok()) return opened;
    std::vector<uint8_t> key(length);
    // CNG takes non-const buffers but only reads the password and the salt.
    auto* passwordBytes = reinterpret_cast<PUCHAR>(const_cast<char*>(password.data()));
    auto* saltBytes = const_cast<PUCHAR>(salt.data());
    NTSTATUS status =
        ::BCryptDeriveKeyPBKDF2(m_hmacSha256.get(), passwordBytes, static_cast<ULONG>(password.size()), saltBytes,
                                static_cast<ULONG>(salt.size()), iterations, key.data(), static_cast<ULONG>(length), 0);
    if (!BCRYPT_SUCCESS(status)) return ntFailure(status, "BCryptDeriveKeyPBKDF2");
    return key;
}
