#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Standard base64 (RFC 4648 alphabet, '=' padding), as the stored access-password hash uses it.
std::string base64Encode(std::span<const uint8_t> bytes);
// Strict: only the canonical encoding of some bytes decodes; anything else is nullopt.
std::optional<std::vector<uint8_t>> base64Decode(std::string_view text);
