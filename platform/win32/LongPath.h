#pragma once
#include <string>
#include <string_view>

// A path as the wide file calls take it past MAX_PATH: "C:\a" as "\\?\C:\a", "\\server\share\a" as
// "\\?\UNC\server\share\a", normalised first as the system would have done. A device path ("\\?\...",
// "\\.\...") and a path that is not a full one are passed on as they are.
std::wstring longPath(std::string_view path);
