#pragma once
#include <string>
#include <string_view>

namespace sim {

// ASCII letters in lower case, every other byte as it is: enough to match names as Windows does.
std::string foldCase(std::string_view text);
bool lessIgnoringCase(std::string_view a, std::string_view b);
// The length as a Windows text control counts it: UTF-16 code units.
size_t utf16Length(std::string_view utf8);

}  // namespace sim
