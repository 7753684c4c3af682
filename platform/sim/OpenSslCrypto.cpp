#include "platform/sim/OpenSslCrypto.h"

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <climits>
#include <memory>

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

struct CipherContextFree {
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree>;

// Sizes CNG would refuse are refused here too, so both backends fail alike.
bool gcmSizesFit(size_t key, size_t nonce, size_t tag, size_t aad, size_t in, size_t out) {
    return key == 32 && nonce == 12 && tag == 16 && in == out && fitsInt(aad) && fitsInt(in);
}

// One GCM pass over the message; `encrypting` chooses the direction. The tag is set before a decryption ends
// and read after an encryption ends.
CipherContext gcmStart(std::span<const uint8_t> key, std::span<const uint8_t> nonce,
                       std::span<const uint8_t> associatedData, bool encrypting) {
    CipherContext context(EVP_CIPHER_CTX_new());
    if (!context) return nullptr;
    int ignored = 0;
    if (EVP_CipherInit_ex(context.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr, encrypting ? 1 : 0) != 1 ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_SET_IVLEN, static_cast<int>(nonce.size()), nullptr) != 1 ||
        EVP_CipherInit_ex(context.get(), nullptr, nullptr, key.data(), nonce.data(), -1) != 1 ||
        (!associatedData.empty() && EVP_CipherUpdate(context.get(), nullptr, &ignored, associatedData.data(),
                                                     static_cast<int>(associatedData.size())) != 1)) {
        return nullptr;
    }
    return context;
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

Status OpenSslCrypto::aes256GcmSeal(const GcmSealArgs& args) {
    if (!gcmSizesFit(args.key.size(), args.nonce.size(), args.tag.size(), args.associatedData.size(),
                     args.plain.size(), args.cipher.size())) {
        return Status::failure(kInvalidParameter, "EVP_EncryptUpdate");
    }
    CipherContext context = gcmStart(args.key, args.nonce, args.associatedData, true);
    if (!context) return openSslFailure("EVP_EncryptInit_ex");
    int written = 0;
    int finished = 0;
    uint8_t finalBytes[16];  // GCM ends without output; the buffer is there for the call's sake
    if ((!args.plain.empty() && EVP_CipherUpdate(context.get(), args.cipher.data(), &written, args.plain.data(),
                                                 static_cast<int>(args.plain.size())) != 1) ||
        EVP_CipherFinal_ex(context.get(), finalBytes, &finished) != 1 ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_GET_TAG, static_cast<int>(args.tag.size()),
                            args.tag.data()) != 1) {
        return openSslFailure("EVP_EncryptFinal_ex");
    }
    return Status::success();
}

Status OpenSslCrypto::aes256GcmOpen(const GcmOpenArgs& args) {
    if (!gcmSizesFit(args.key.size(), args.nonce.size(), args.tag.size(), args.associatedData.size(),
                     args.cipher.size(), args.plain.size())) {
        return Status::failure(kInvalidParameter, "EVP_DecryptUpdate");
    }
    CipherContext context = gcmStart(args.key, args.nonce, args.associatedData, false);
    if (!context) return openSslFailure("EVP_DecryptInit_ex");
    int written = 0;
    int finished = 0;
    uint8_t finalBytes[16];  // GCM ends without output; the buffer is there for the call's sake
    // OpenSSL reads the expected tag through a non-const pointer but does not change it.
    auto* tag = const_cast<uint8_t*>(args.tag.data());
    if ((!args.cipher.empty() && EVP_CipherUpdate(context.get(), args.plain.data(), &written, args.cipher.data(),
                                                  static_cast<int>(args.cipher.size())) != 1) ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_SET_TAG, static_cast<int>(args.tag.size()), tag) != 1) {
        return openSslFailure("EVP_DecryptUpdate");
    }
    if (EVP_CipherFinal_ex(context.get(), finalBytes, &finished) != 1) {
        ERR_clear_error();
        return Status::failure(errc::kInvalidData, "EVP_DecryptFinal_ex");
    }
    return Status::success();
}

}  // namespace sim
