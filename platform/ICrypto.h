#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "platform/Status.h"

// One AES-256-GCM message: a 32-byte key, a 12-byte nonce, a 16-byte tag; cipher and plain text are as long.
struct GcmSealArgs {
    std::span<const uint8_t> key;
    std::span<const uint8_t> nonce;
    std::span<const uint8_t> associatedData;
    std::span<const uint8_t> plain;
    std::span<uint8_t> cipher;
    std::span<uint8_t> tag;
};
struct GcmOpenArgs {
    std::span<const uint8_t> key;
    std::span<const uint8_t> nonce;
    std::span<const uint8_t> associatedData;
    std::span<const uint8_t> cipher;
    std::span<const uint8_t> tag;
    std::span<uint8_t> plain;
};

// The machine's cryptographic primitives: Windows' CNG under Win32, OpenSSL's libcrypto natively. Both must give
// the same bytes for the same input, so that what one build stores the other reads.
class ICrypto {
public:
    virtual ~ICrypto() = default;
    // Bytes from the system's cryptographically secure generator.
    virtual Result<std::vector<uint8_t>> randomBytes(size_t count) = 0;
    // PBKDF2 with HMAC-SHA256 over the password's bytes as given (UTF-8, not normalised).
    virtual Result<std::vector<uint8_t>> pbkdf2Sha256(std::string_view password, std::span<const uint8_t> salt,
                                                      uint32_t iterations, size_t length) = 0;
    // Stand-ins that offer no cipher (a test's fake random source) refuse it: ERROR_NOT_SUPPORTED.
    virtual Status aes256GcmSeal(const GcmSealArgs&) { return Status::failure(50, "aes256GcmSeal"); }
    // A tag that does not match fails with errc::kInvalidData; the plain text written by then is not to be used.
    virtual Status aes256GcmOpen(const GcmOpenArgs&) { return Status::failure(50, "aes256GcmOpen"); }
    // Drops, and wipes, any key the backend keeps between calls for speed: the caller forgets its keys and expects
    // no copy to outlive its own.
    virtual void forgetKeys() {}
};
