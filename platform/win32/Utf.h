#pragma once
#include <optional>
#include <string>
#include <string_view>

// The one place where UTF-8 and UTF-16 meet. Lengths are explicit, so embedded NULs survive.

// Strict: nullopt for malformed input or input too long for the Windows conversion calls.
std::optional<std::wstring> tryToWide(std::string_view utf8);
std::optional<std::string> tryToUtf8(std::wstring_view utf16);

// Lenient: malformed sequences become U+FFFD, so a foreign window title never stops the caller.
std::wstring toWide(std::string_view utf8);
std::string toUtf8(std::wstring_view utf16);
