#include "platform/sim/SimText.h"

#include <algorithm>

namespace sim {

namespace {

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The lower case of the letters of Latin-1, Latin Extended-A, Greek and Cyrillic, the ones Windows' case table
// pairs within the same UTF-8 length; every other code point is its own.
char32_t lowerLetter(char32_t c) {
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) ||
        (c >= 0x410 && c <= 0x42F)) {
        return c + 0x20;
    }
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    if (c == 0x178) return 0xFF;
    const bool evenUpper = (c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
    const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if ((evenUpper && c % 2 == 0) || (oddUpper && c % 2 == 1)) return c + 1;
    return c;
}

}  // namespace

// Two-byte sequences are decoded and folded; all the letters folded here stay two bytes long, so the folded
// text is as long as the original and every other byte passes unchanged.
std::string foldCase(std::string_view text) {
    std::string folded(text);
    for (size_t i = 0; i < folded.size(); ++i) {
        const auto lead = static_cast<unsigned char>(folded[i]);
        if (lead < 0x80) {
            folded[i] = lower(folded[i]);
            continue;
        }
        const bool twoBytes = (lead & 0xE0) == 0xC0 && i + 1 < folded.size() &&
                              (static_cast<unsigned char>(folded[i + 1]) & 0xC0) == 0x80;
        if (!twoBytes) continue;
        const char32_t c = (char32_t{lead & 0x1Fu} << 6) | (static_cast<unsigned char>(folded[i + 1]) & 0x3Fu);
        const char32_t l = lowerLetter(c);
        folded[i] = static_cast<char>(0xC0 | (l >> 6));
        folded[i + 1] = static_cast<char>(0x80 | (l & 0x3F));
        ++i;
    }
    return folded;
}

bool lessIgnoringCase(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(lower(x)) < static_cast<unsigned char>(lower(y));
    });
}

bool isValidUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0x80             ? 1
                              : (lead & 0xE0) == 0xC0 ? 2
                              : (lead & 0xF0) == 0xE0 ? 3
                              : (lead & 0xF8) == 0xF0 ? 4
                                                      : 0;
        if (length == 0 || i + length > text.size()) return false;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            c = (c << 6) | (next & 0x3F);
        }
        constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

// Each lead byte starts one code point; those of four bytes lie outside the BMP and take a surrogate pair.
size_t utf16Length(std::string_view utf8) {
    size_t units = 0;
    for (char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) == 0x80) continue;
        units += byte >= 0xF0 ? 2 : 1;
    }
    return units;
}

}  // namespace sim
