#pragma once
#include <string>
#include <string_view>

// UTF-8 on the command line and on stdout, UTF-16 towards Windows.
std::wstring toWide(std::string_view utf8);
std::string toUtf8(std::wstring_view wide);

// Bytes go to the standard handles unchanged, so a Unix pipe under Wine receives UTF-8.
void writeOut(std::string_view text);
void writeErr(std::string_view text);
