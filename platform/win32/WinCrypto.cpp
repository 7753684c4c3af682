#include "platform/win32/WinCrypto.h"

#include <algorithm>
#include <limits>

namespace {

bool fitsUlong(size_t size) {
    return size <= size_t{std::numeric_limits<ULONG>::max()};
}

// CNG reports NTSTATUS values; they are kept as they are, since the logic only tells success from failure.
Status ntFailure(NTSTATUS status, const char* api) {
    return Status::failure(static_cast<uint32_t>(status), api);
}

constexpr NTSTATUS kAuthTagMismatch = static_cast<NTSTATUS>(0xC000A002L);

bool gcmSizesFit(size_t key, size_t nonce, size_t tag, size_t aad, size_t in, size_t out) {
    return key == 32 && nonce == 12 && tag == 16 && in == out && fitsUlong(aad) && fitsUlong(in);
}

// CNG takes non-const buffers for what it only reads; an empty buffer is passed as a valid pointer all the same.
PUCHAR readOnly(std::span<const uint8_t> bytes) {
    static UCHAR nothing = 0;
    return bytes.empty() ? &nothing : const_cast<PUCHAR>(bytes.data());
}

BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO gcmInfo(std::span<const uint8_t> nonce, std::span<const uint8_t> aad,
                                              PUCHAR tag) {
    BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info;
    BCRYPT_INIT_AUTH_MODE_INFO(info);
    info.pbNonce = readOnly(nonce);
    info.cbNonce = static_cast<ULONG>(nonce.size());
    info.pbAuthData = aad.empty() ? nullptr : readOnly(aad);
    info.cbAuthData = static_cast<ULONG>(aad.size());
    info.pbTag = tag;
    info.cbTag = 16;
    return info;
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

void WinCrypto::forgetKeys() {
    m_gcmKey.reset();
    ::SecureZeroMemory(m_gcmKeyBytes.data(), m_gcmKeyBytes.size());
}

// The key object is kept while the key stays the same: making one for every 64 KiB chunk would cost more
// than sealing the chunk.
Status WinCrypto::useGcmKey(std::span<const uint8_t> key) {
    if (!m_aesGcm) {
        NTSTATUS status = ::BCryptOpenAlgorithmProvider(m_aesGcm.put(), BCRYPT_AES_ALGORITHM, nullptr, 0);
        if (!BCRYPT_SUCCESS(status)) {
            m_aesGcm.release();
            return ntFailure(status, "BCryptOpenAlgorithmProvider");
        }
        status = ::BCryptSetProperty(m_aesGcm.get(), BCRYPT_CHAINING_MODE,
                                     reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_GCM)),
                                     sizeof(BCRYPT_CHAIN_MODE_GCM), 0);
        if (!BCRYPT_SUCCESS(status)) {
            m_aesGcm.reset();
            return ntFailure(status, "BCryptSetProperty");
        }
    }
    if (m_gcmKey && std::equal(key.begin(), key.end(), m_gcmKeyBytes.begin())) return Status::success();
    m_gcmKey.reset();
    NTSTATUS status = ::BCryptGenerateSymmetricKey(m_aesGcm.get(), m_gcmKey.put(), nullptr, 0, readOnly(key),
                                                   static_cast<ULONG>(key.size()), 0);
    if (!BCRYPT_SUCCESS(status)) {
        m_gcmKey.release();
        return ntFailure(status, "BCryptGenerateSymmetricKey");
    }
    std::copy(key.begin(), key.end(), m_gcmKeyBytes.begin());
    return Status::success();
}

Status WinCrypto::aes256GcmSeal(const GcmSealArgs& args) {
    if (!gcmSizesFit(args.key.size(), args.nonce.size(), args.tag.size(), args.associatedData.size(),
                     args.plain.size(), args.cipher.size())) {
        return Status::failure(ERROR_INVALID_PARAMETER, "BCryptEncrypt");
    }
    if (Status keyed = useGcmKey(args.key); !keyed.ok()) return keyed;
    BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info = gcmInfo(args.nonce, args.associatedData, args.tag.data());
    UCHAR nothing = 0;
    ULONG written = 0;
    NTSTATUS status = ::BCryptEncrypt(m_gcmKey.get(), readOnly(args.plain), static_cast<ULONG>(args.plain.size()),
                                      &info, nullptr, 0, args.cipher.empty() ? &nothing : args.cipher.data(),
                                      static_cast<ULONG>(args.cipher.size()), &written, 0);
    if (!BCRYPT_SUCCESS(status)) return ntFailure(status, "BCryptEncrypt");
    return Status::success();
}

Status WinCrypto::aes256GcmOpen(const GcmOpenArgs& args) {
    if (!gcmSizesFit(args.key.size(), args.nonce.size(), args.tag.size(), args.associatedData.size(),
                     args.cipher.size(), args.plain.size())) {
        return Status::failure(ERROR_INVALID_PARAMETER, "BCryptDecrypt");
    }
    if (Status keyed = useGcmKey(args.key); !keyed.ok()) return keyed;
    BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info = gcmInfo(args.nonce, args.associatedData, readOnly(args.tag));
    UCHAR nothing = 0;
    ULONG written = 0;
    NTSTATUS status = ::BCryptDecrypt(m_gcmKey.get(), readOnly(args.cipher), static_cast<ULONG>(args.cipher.size()),
                                      &info, nullptr, 0, args.plain.empty() ? &nothing : args.plain.data(),
                                      static_cast<ULONG>(args.plain.size()), &written, 0);
    if (status == kAuthTagMismatch) return Status::failure(errc::kInvalidData, "BCryptDecrypt");
    if (!BCRYPT_SUCCESS(status)) return ntFailure(status, "BCryptDecrypt");
    return Status::success();
}
