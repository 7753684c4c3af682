#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Changes to keys of HKEY_LOCAL_MACHINE, in the order they are to be made, as a registration file holds them.
struct RegEdit {
    enum class Kind { DeleteKey, CreateKey, SetText, SetNumber, DeleteValue };
    Kind kind = Kind::CreateKey;
    std::string key{};    // below HKEY_LOCAL_MACHINE, e.g. "Software\\OBP\\Tasks"
    std::string name{};   // value name; empty for the key kinds
    std::string text{};   // SetText: UTF-8
    uint32_t number = 0;  // SetNumber: REG_DWORD
    bool operator==(const RegEdit&) const = default;
};
using RegEdits = std::vector<RegEdit>;

// The file reg.exe imports to make the edits: UTF-16LE with its mark, "Windows Registry Editor Version 5.00",
// CR LF line ends. Texts with CR, LF or NUL in them are written in the hex(1) form, the one every reg.exe reads
// (Wine's exports write \r and \n escapes instead, which readRegFile reads too); quotes and backslashes are escaped.
// A file holds value edits only inside a section of their key, and a section creates its key on import. So a
// value edit whose key is not the one the edit before it made or wrote to gets a section of its own, which
// reads back as a CreateKey of that key: see regFileEditsOf.
std::string regFileFor(const RegEdits& edits);

// Reads back a file of the form regFileFor writes (and reg.exe's own exports): the edits it makes, in order;
// nullopt when it holds anything else (another root, a default value, another value type, a line it cannot read).
std::optional<RegEdits> readRegFile(std::string_view bytes);

// What readRegFile gives back for regFileFor(edits): the edits with a CreateKey put before each run of value
// edits of a key that does not start with one (keys compared exactly, case included). For edits that start
// every such run with their CreateKey it is the edits themselves. A name the file cannot hold (a NUL or a line
// break in it, a key that is empty, holds "[" or "]" or an empty part) does not read back as itself, so a
// caller that compares readRegFile(regFileFor(edits)) with this before importing finds out.
RegEdits regFileEditsOf(const RegEdits& edits);
