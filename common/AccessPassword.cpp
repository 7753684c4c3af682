#include "common/AccessPassword.h"

#include <charconv>
#include <optional>
#include <vector>

#include "common/Base64.h"

namespace {

constexpr std::string_view kHashPrefix = "pbkdf2-sha256$";
constexpr size_t kSaltLength = 16;
constexpr size_t kHashLength = 32;
// Bounds on what a stored hash may ask for: the value is readable and, with rights, writable by others, and a
// huge count would make every password check hang the program.
constexpr uint32_t kMinIterations = 1;
constexpr uint32_t kMaxIterations = 10'000'000;
constexpr size_t kMinSaltLength = 8;
constexpr size_t kMaxSaltLength = 64;
// ERROR_INVALID_PARAMETER, the same number the backends use.
constexpr uint32_t kInvalidParameter = 87;

struct StoredHash {
    uint32_t iterations = 0;
    std::vector<uint8_t> salt;
    std::vector<uint8_t> hash;
};

bool isHashText(std::string_view stored) {
    return stored.starts_with(kHashPrefix);
}

// Plain decimal digits only: no sign, no blanks and no leading zero, so each count has one spelling.
std::optional<uint32_t> parseIterations(std::string_view text) {
    if (text.empty() || text.size() > 8 || (text.size() > 1 && text[0] == '0')) return std::nullopt;
    uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (value < kMinIterations || value > kMaxIterations) return std::nullopt;
    return value;
}

std::optional<StoredHash> parseHash(std::string_view stored) {
    std::string_view rest = stored.substr(kHashPrefix.size());
    const size_t firstSeparator = rest.find('$');
    if (firstSeparator == std::string_view::npos) return std::nullopt;
    const size_t secondSeparator = rest.find('$', firstSeparator + 1);
    if (secondSeparator == std::string_view::npos) return std::nullopt;
    const auto iterations = parseIterations(rest.substr(0, firstSeparator));
    auto salt = base64Decode(rest.substr(firstSeparator + 1, secondSeparator - firstSeparator - 1));
    auto hash = base64Decode(rest.substr(secondSeparator + 1));
    if (!iterations || !salt || !hash) return std::nullopt;
    if (salt->size() < kMinSaltLength || salt->size() > kMaxSaltLength || hash->size() != kHashLength) {
        return std::nullopt;
    }
    return StoredHash{*iterations, std::move(*salt), std::move(*hash)};
}

// Every byte is looked at whatever the earlier ones were, so the time taken says nothing about how close a guess
// came.
bool equalInConstantTime(std::span<const uint8_t> a, std::span<const uint8_t> b) {
    if (a.size() != b.size()) return false;
    volatile uint8_t difference = 0;
    for (size_t i = 0; i < a.size(); ++i) difference = static_cast<uint8_t>(difference | (a[i] ^ b[i]));
    return difference == 0;
}

std::string asciiLower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

bool hashMatches(ICrypto& crypto, std::string_view stored, std::string_view typedLowerCase) {
    const auto parsed = parseHash(stored);
    if (!parsed) return false;
    auto derived = crypto.pbkdf2Sha256(typedLowerCase, parsed->salt, parsed->iterations, parsed->hash.size());
    // A derivation that fails cannot vouch for anyone.
    if (!derived.ok()) return false;
    return equalInConstantTime(derived.value(), parsed->hash);
}

}  // namespace

Result<std::string> hashAccessPassword(ICrypto& crypto, std::string_view lowerCasePassword, uint32_t iterations) {
    // A hash that its own check would refuse as malformed would lock everyone out.
    if (iterations < kMinIterations || iterations > kMaxIterations) {
        return Status::failure(kInvalidParameter, "hashAccessPassword");
    }
    auto salt = crypto.randomBytes(kSaltLength);
    if (!salt.ok()) return salt.status();
    if (salt.value().size() != kSaltLength) return Status::failure(kInvalidParameter, "randomBytes");
    auto hash = crypto.pbkdf2Sha256(lowerCasePassword, salt.value(), iterations, kHashLength);
    if (!hash.ok()) return hash.status();
    if (hash.value().size() != kHashLength) return Status::failure(kInvalidParameter, "pbkdf2Sha256");
    std::string text(kHashPrefix);
    text += std::to_string(iterations);
    text += '$';
    text += base64Encode(salt.value());
    text += '$';
    text += base64Encode(hash.value());
    return text;
}

bool accessPasswordMatches(ICrypto& crypto, std::string_view stored, std::string_view typedLowerCase) {
    if (isHashText(stored)) return hashMatches(crypto, stored, typedLowerCase);
    if (stored.empty()) return typedLowerCase == kDefaultAccessPassword;
    // An older installation stored the password as plain text, possibly with capitals.
    return typedLowerCase == asciiLower(stored);
}

bool isDefaultAccessPassword(ICrypto& crypto, std::string_view stored) {
    return accessPasswordMatches(crypto, stored, kDefaultAccessPassword);
}

// Lower-casing a hash would break its base64. Only ASCII letters are lowered, so UTF-8 sequences stay whole.
bool isHashedAccessPassword(std::string_view stored) { return isHashText(stored); }

std::string accessPasswordFromStored(std::string_view stored) {
    if (isHashText(stored)) return std::string(stored);
    return asciiLower(stored);
}
