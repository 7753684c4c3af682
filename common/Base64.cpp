#include "common/Base64.h"

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int sextet(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

}  // namespace

std::string base64Encode(std::span<const uint8_t> bytes) {
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t left = bytes.size() - i;
        uint32_t group = uint32_t{bytes[i]} << 16;
        if (left > 1) group |= uint32_t{bytes[i + 1]} << 8;
        if (left > 2) group |= bytes[i + 2];
        text += kAlphabet[(group >> 18) & 63];
        text += kAlphabet[(group >> 12) & 63];
        text += left > 1 ? kAlphabet[(group >> 6) & 63] : '=';
        text += left > 2 ? kAlphabet[group & 63] : '=';
    }
    return text;
}

// Padding only at the end of the last group, and the bits it leaves over must be zero: one text per byte string,
// so a stored hash cannot be altered into a different text that still verifies.
std::optional<std::vector<uint8_t>> base64Decode(std::string_view text) {
    if (text.size() % 4 != 0) return std::nullopt;
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() / 4 * 3);
    for (size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        size_t padding = 0;
        if (last && text[i + 3] == '=') padding = text[i + 2] == '=' ? 2 : 1;
        uint32_t group = 0;
        for (size_t k = 0; k < 4 - padding; ++k) {
            const int value = sextet(text[i + k]);
            if (value < 0) return std::nullopt;
            group |= static_cast<uint32_t>(value) << (18 - 6 * k);
        }
        if ((padding == 1 && (group & 0xFF) != 0) || (padding == 2 && (group & 0xFFFF) != 0)) return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(group >> 16));
        if (padding < 2) bytes.push_back(static_cast<uint8_t>(group >> 8));
        if (padding < 1) bytes.push_back(static_cast<uint8_t>(group));
    }
    return bytes;
}
