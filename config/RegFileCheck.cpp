#include "config/RegFileCheck.h"

#include <algorithm>
#include <vector>

namespace {

// Anything outside ASCII stands as this byte: the checks look only at ASCII structure and names, and a byte
// that never compares equal to an ASCII letter cannot smuggle one in.
constexpr char kForeign = '\x80';

constexpr std::string_view kConfigurationKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\OBP";
constexpr std::string_view kConfigurationKeyShort = "HKLM\\SOFTWARE\\OBP";

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// Returns false for text no import would read as we do: characters that end a line early (NUL) are refused.
bool decode(std::string_view bytes, std::string& text) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        if (bytes.size() % 2 != 0) return false;
        for (size_t at = 2; at < bytes.size(); at += 2) {
            const unsigned unit =
                static_cast<unsigned char>(bytes[at]) | (static_cast<unsigned char>(bytes[at + 1]) << 8);
            if (unit == 0) return false;
            text.push_back(unit < 0x80 ? static_cast<char>(unit) : kForeign);
        }
        return true;
    }
    if (startsWith(bytes, "\xEF\xBB\xBF")) bytes.remove_prefix(3);
    for (char c : bytes) {
        if (c == '\0') return false;
        text.push_back(static_cast<unsigned char>(c) < 0x80 ? c : kForeign);
    }
    return true;
}

// Lines end at CR, LF or CR LF, as the importer reads them; leading blanks and tabs do not count.
std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::string current;
    for (size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '\r' || c == '\n') {
            lines.push_back(current);
            current.clear();
            if (c == '\r' && at + 1 < text.size() && text[at + 1] == '\n') ++at;
        } else {
            current.push_back(c);
        }
    }
    lines.push_back(current);
    for (std::string& line : lines) {
        const size_t first = line.find_first_not_of(" \t");
        line.erase(0, first == std::string::npos ? line.size() : first);
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
    }
    return lines;
}

std::string upper(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
    return result;
}

// The configuration key itself or a key below it; an empty name on the way would be another key.
bool insideConfiguration(std::string_view name) {
    const std::string key = upper(name);
    for (std::string_view root : {kConfigurationKey, kConfigurationKeyShort}) {
        if (key == root) return true;
        if (!startsWith(key, root) || key[root.size()] != '\\') continue;
        const std::string_view below = std::string_view(key).substr(root.size() + 1);
        return !below.empty() && below.back() != '\\' && below.find("\\\\") == std::string_view::npos;
    }
    return false;
}

bool isHexData(const std::string& line) {
    return line.find_first_not_of("0123456789abcdefABCDEF, \t\\") == std::string::npos;
}

RegFileVerdict refuse(std::string reason) {
    return {false, std::move(reason)};
}

RegFileVerdict checkKeyLine(const std::string& line) {
    if (startsWith(line, "[-")) return refuse("it deletes the registry key " + line.substr(2, line.size() - 3) + ".");
    if (line.back() != ']') return refuse("it has a key line that is not closed: " + line);
    const std::string name = line.substr(1, line.size() - 2);
    if (name.find_first_of("[]") != std::string::npos || !insideConfiguration(name)) {
        return refuse("it writes to the registry key " + name + ", which is not this program's.");
    }
    return {true, {}};
}

// The value's name is a quoted text (with \" and \\ inside) or @ for the key's default value.
RegFileVerdict checkValueLine(const std::string& line) {
    size_t at = 0;
    if (line[0] == '@') {
        at = 1;
    } else {
        for (at = 1; at < line.size() && line[at] != '"'; ++at) {
            if (line[at] == '\\') ++at;
        }
        if (at >= line.size()) return refuse("it has a value line that is not understood: " + line);
        ++at;
    }
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    if (at >= line.size() || line[at] != '=') return refuse("it has a value line that is not understood: " + line);
    ++at;
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    if (at < line.size() && line[at] == '-') return refuse("it deletes a registry value: " + line);
    return {true, {}};
}

}  // namespace

// Refuses what it cannot read as a plain list of keys and values, rather than guessing how reg.exe would.
RegFileVerdict checkRegFile(std::string_view bytes) {
    std::string text;
    if (!decode(bytes, text)) return refuse("it is not a registry file.");
    const std::vector<std::string> lines = linesOf(text);
    size_t at = 0;
    while (at < lines.size() && lines[at].empty()) ++at;
    if (at == lines.size() || (lines[at] != "Windows Registry Editor Version 5.00" && lines[at] != "REGEDIT4")) {
        return refuse("it is not a registry file.");
    }
    bool inKey = false;
    for (++at; at < lines.size(); ++at) {
        const std::string& line = lines[at];
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            RegFileVerdict key = checkKeyLine(line);
            if (!key.allowed) return key;
            inKey = true;
            continue;
        }
        if (!inKey || (line[0] != '"' && line[0] != '@')) {
            return refuse("it has a line that is not understood: " + line);
        }
        RegFileVerdict value = checkValueLine(line);
        if (!value.allowed) return value;
        // Binary data goes on over the following lines while a line ends in a backslash. Only lines that hold
        // nothing but hex digits pass unchecked, so a key line is never taken for data, whatever the importer thinks.
        while (lines[at].back() == '\\' && at + 1 < lines.size() && isHexData(lines[at + 1])) ++at;
    }
    return {true, {}};
}
