#pragma once
#include <string>
#include <string_view>

// What a registry file would do when imported, as far as this program lets it.
struct RegFileVerdict {
    bool allowed = false;
    std::string reason{};  // why it is refused; empty when allowed
};

// Only writes below the configuration key pass: no other key, no deletion of a key or a value. The bytes are a
// registry file as reg.exe writes it (UTF-16LE with its mark) or as older tools do (ANSI or UTF-8).
RegFileVerdict checkRegFile(std::string_view bytes);
