#pragma once
#include <string>

// ASCII letters only, so the rest of a UTF-8 path stays as it is; the file system ignores case anyway.
inline std::string lowerCased(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}
