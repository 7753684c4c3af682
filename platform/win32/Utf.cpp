#include "platform/win32/Utf.h"

#include <windows.h>

#include <climits>

namespace {

// The conversion calls take int lengths; anything longer is refused rather than truncated.
bool fitsInt(size_t size) {
    return size <= static_cast<size_t>(INT_MAX);
}

std::optional<std::wstring> convertToWide(std::string_view utf8, DWORD flags) {
    if (utf8.empty()) return std::wstring();
    if (!fitsInt(utf8.size())) return std::nullopt;
    const int inLength = static_cast<int>(utf8.size());
    const int needed = ::MultiByteToWideChar(CP_UTF8, flags, utf8.data(), inLength, nullptr, 0);
    if (needed <= 0) return std::nullopt;
    std::wstring out(static_cast<size_t>(needed), L'\0');
    if (::MultiByteToWideChar(CP_UTF8, flags, utf8.data(), inLength, out.data(), needed) != needed) return std::nullopt;
    return out;
}

std::optional<std::string> convertToUtf8(std::wstring_view utf16, DWORD flags) {
    if (utf16.empty()) return std::string();
    if (!fitsInt(utf16.size())) return std::nullopt;
    const int inLength = static_cast<int>(utf16.size());
    const int needed = ::WideCharToMultiByte(CP_UTF8, flags, utf16.data(), inLength, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return std::nullopt;
    std::string out(static_cast<size_t>(needed), '\0');
    if (::WideCharToMultiByte(CP_UTF8, flags, utf16.data(), inLength, out.data(), needed, nullptr, nullptr) != needed)
        return std::nullopt;
    return out;
}

}  // namespace

std::optional<std::wstring> tryToWide(std::string_view utf8) {
    return convertToWide(utf8, MB_ERR_INVALID_CHARS);
}

std::optional<std::string> tryToUtf8(std::wstring_view utf16) {
    return convertToUtf8(utf16, WC_ERR_INVALID_CHARS);
}

// Without the error flags the system substitutes U+FFFD for each malformed sequence.
std::wstring toWide(std::string_view utf8) {
    if (auto strict = tryToWide(utf8)) return std::move(*strict);
    return convertToWide(utf8, 0).value_or(std::wstring());
}

std::string toUtf8(std::wstring_view utf16) {
    if (auto strict = tryToUtf8(utf16)) return std::move(*strict);
    return convertToUtf8(utf16, 0).value_or(std::string());
}
