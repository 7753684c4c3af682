#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ICrypto.h"
#include "platform/Status.h"

// The access password as the machine-wide value "pwd" holds it: a salted PBKDF2-HMAC-SHA256 hash text
// "pbkdf2-sha256$<iterations>$<salt, base64>$<hash, base64>", or, from older installations, plain text.

inline constexpr const char* kDefaultAccessPassword = "bluejay";
inline constexpr uint32_t kAccessPasswordIterations = 600000;

// The stored form of a password the user set. Fails only when the random source or the key derivation fails (or
// when `iterations` lies outside what a stored hash may carry). Tests may pass fewer iterations.
Result<std::string> hashAccessPassword(ICrypto& crypto, std::string_view lowerCasePassword,
                                       uint32_t iterations = kAccessPasswordIterations);

// True when the typed (already lower-cased) text is the password the stored form names. Runs one key derivation
// for a hash text, so call it when a password is checked, never from the watch.
bool accessPasswordMatches(ICrypto& crypto, std::string_view stored, std::string_view typedLowerCase);

// True when the stored form is in effect the default: "", "bluejay" in any case, or a hash of "bluejay".
bool isDefaultAccessPassword(ICrypto& crypto, std::string_view stored);

// True for the hash text; false for plain text from older installations.
bool isHashedAccessPassword(std::string_view stored);

// What the configuration load keeps as the access password: a hash text unchanged, other text lower-cased.
std::string accessPasswordFromStored(std::string_view stored);
