#include "Text.h"

#include <windows.h>

#include <climits>

std::wstring toWide(std::string_view utf8) {
    if (utf8.empty() || utf8.size() > INT_MAX) return {};
    const int size = static_cast<int>(utf8.size());
    const int count = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(count), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), count);
    return wide;
}

std::string toUtf8(std::wstring_view wide) {
    if (wide.empty() || wide.size() > INT_MAX) return {};
    const int size = static_cast<int>(wide.size());
    const int count = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(count), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), count, nullptr, nullptr);
    return utf8;
}

namespace {

void writeTo(DWORD which, std::string_view text) {
    HANDLE handle = ::GetStdHandle(which);
    while (!text.empty()) {
        DWORD written = 0;
        const DWORD chunk = text.size() > 65536 ? 65536 : static_cast<DWORD>(text.size());
        if (!::WriteFile(handle, text.data(), chunk, &written, nullptr) || written == 0) return;
        text.remove_prefix(written);
    }
}

}  // namespace

void writeOut(std::string_view text) {
    writeTo(STD_OUTPUT_HANDLE, text);
}

void writeErr(std::string_view text) {
    writeTo(STD_ERROR_HANDLE, text);
}
