#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "platform/Status.h"

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
};
