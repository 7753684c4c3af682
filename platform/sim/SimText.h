#pragma once
#include <string>
#include <string_view>

namespace sim {

// Letters in lower case (ASCII and the common two-byte alphabets), every other byte as it is, to match names
// without regard to case as Windows does.
std::string foldCase(std::string_view text);
bool lessIgnoringCase(std::string_view a, std::string_view b);
// Well-formed UTF-8 as Windows' strict conversion takes it: no overlong forms, no surrogates, nothing past U+10FFFF.
bool isValidUtf8(std::string_view text);
// The length as a Windows text control counts it: UTF-16 code units.
size_t utf16Length(std::string_view utf8);

}  // namespace sim
