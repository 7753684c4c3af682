#pragma once
#include <cstdint>
#include <span>
#include <string_view>

// One Windows shell policy value of the current user (HKEY_CURRENT_USER) that obext switches.
struct ShellRestriction {
    std::string_view key;
    std::string_view name;
    int32_t enabled;  // what "Enable" writes; "Remove" writes 0
};

// Every restriction, in the order both buttons write them.
std::span<const ShellRestriction> shellRestrictions();
