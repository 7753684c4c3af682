#include "platform/win32/LongPath.h"

#include <windows.h>

#include "platform/win32/Utf.h"

namespace {

bool isSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// "\\?\", "\\.\" and the NT form "\??\" are the system's device forms: a caller who wrote one meant it as written.
bool isDevicePath(std::wstring_view path) {
    if (path.size() < 4) return false;
    if (isSeparator(path[0]) && isSeparator(path[1]) && (path[2] == L'?' || path[2] == L'.') && isSeparator(path[3]))
        return true;
    return path[0] == L'\\' && path[1] == L'?' && path[2] == L'?' && path[3] == L'\\';
}

bool isDriveRooted(std::wstring_view path) {
    const bool letter =
        path.size() >= 3 && ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
    return letter && path[1] == L':' && isSeparator(path[2]);
}

bool isNetworkPath(std::wstring_view path) {
    return path.size() >= 3 && isSeparator(path[0]) && isSeparator(path[1]) && !isSeparator(path[2]);
}

// For a path already cleaned up (GetFullPathNameW's form).
std::wstring withLongPrefix(std::wstring_view fullPath) {
    if (isDevicePath(fullPath)) return std::wstring(fullPath);
    if (isDriveRooted(fullPath)) return L"\\\\?\\" + std::wstring(fullPath);
    if (isNetworkPath(fullPath)) return L"\\\\?\\UNC\\" + std::wstring(fullPath.substr(2));
    return std::wstring(fullPath);
}

}  // namespace

// "\\?\" also turns off the system's own clean-up of the path ("/", "." and ".." segments, doubled separators,
// trailing dots and blanks), so GetFullPathNameW, which has no length limit, does it first. Relative and
// drive-relative paths are left alone: resolving them here would hide them behind the current folder.
std::wstring longPath(std::string_view path) {
    const std::wstring wide = toWide(path);
    if (isDevicePath(wide) || !(isDriveRooted(wide) || isNetworkPath(wide))) return wide;
    std::wstring full(wide.size() + 1, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD length = ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0) return wide;  // the call that uses the path reports what is wrong with it
        if (length < full.size()) {
            full.resize(length);
            return withLongPrefix(full);
        }
        full.assign(length, L'\0');
    }
    return wide;
}
