#include "registry/RegFile.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kRoot = "HKEY_LOCAL_MACHINE\\";
constexpr std::string_view kLineEnd = "\r\n";
// reg.exe's exports break long hex data before this column; lines stay short enough for any importer.
constexpr size_t kHexLineWidth = 76;

bool isValueEdit(RegEdit::Kind kind) {
    return kind == RegEdit::Kind::SetText || kind == RegEdit::Kind::SetNumber || kind == RegEdit::Kind::DeleteValue;
}

// Malformed UTF-8 becomes U+FFFD: the text then does not read back as it went in, which the caller's
// comparison of the file with its edits finds.
std::u16string toUtf16(std::string_view utf8) {
    std::u16string units;
    size_t at = 0;
    while (at < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[at]);
        const size_t length = lead < 0x80             ? 1
                              : (lead & 0xE0) == 0xC0 ? 2
                              : (lead & 0xF0) == 0xE0 ? 3
                              : (lead & 0xF8) == 0xF0 ? 4
                                                      : 0;
        char32_t c = length == 1 ? lead : lead & (0x7Fu >> length);
        bool valid = length != 0 && at + length <= utf8.size();
        for (size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[at + k]);
            valid = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3Fu);
        }
        constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        valid = valid && c >= kSmallest[length] && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
        if (!valid) {
            units.push_back(u'\uFFFD');
            ++at;
            continue;
        }
        if (c >= 0x10000) {
            units.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            units.push_back(static_cast<char16_t>(c));
        }
        at += length;
    }
    return units;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// A lone surrogate has no UTF-8 form; such a file is not one this program wrote.
std::optional<std::string> toUtf8(std::u16string_view units) {
    std::string out;
    for (size_t at = 0; at < units.size(); ++at) {
        const char16_t unit = units[at];
        if (unit >= 0xDC00 && unit <= 0xDFFF) return std::nullopt;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (at + 1 == units.size() || units[at + 1] < 0xDC00 || units[at + 1] > 0xDFFF) return std::nullopt;
            appendUtf8(out, 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (char32_t{units[at + 1]} - 0xDC00));
            ++at;
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

// ---- writing ----

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out.push_back('\\');
        out.push_back(c);
    }
    out.push_back('"');
    return out;
}

// The stored characters and their terminator, as bytes "xx,xx,...", broken over lines as reg.exe breaks them.
std::string hexText(std::string_view prefix, std::string_view text) {
    std::u16string units = toUtf16(text);
    units.push_back(u'\0');
    std::string line(prefix);
    std::string out;
    char byte[4];
    for (size_t at = 0; at < units.size() * 2; ++at) {
        const auto value = static_cast<unsigned>(at % 2 == 0 ? units[at / 2] & 0xFF : units[at / 2] >> 8);
        std::snprintf(byte, sizeof byte, "%02x", value);
        line += byte;
        if (at + 1 == units.size() * 2) break;
        line.push_back(',');
        if (line.size() >= kHexLineWidth) {
            out += line + "\\" + std::string(kLineEnd);
            line = "  ";
        }
    }
    return out + line;
}

std::string valueLineFor(const RegEdit& edit) {
    const std::string name = quoted(edit.name) + "=";
    switch (edit.kind) {
        case RegEdit::Kind::DeleteValue:
            return name + "-";
        case RegEdit::Kind::SetNumber: {
            char digits[16];
            std::snprintf(digits, sizeof digits, "dword:%08x", static_cast<unsigned>(edit.number));
            return name + digits;
        }
        default:
            if (edit.text.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) {
                return hexText(name + "hex(1):", edit.text);
            }
            return name + quoted(edit.text);
    }
}

std::string fileBytes(std::string_view utf8) {
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : toUtf16(utf8)) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

// ---- reading ----

// A NUL would end the line early for the importer, whatever comes after it on the line.
std::optional<std::string> fileText(std::string_view bytes) {
    if (bytes.size() < 2 || bytes.size() % 2 != 0 || static_cast<unsigned char>(bytes[0]) != 0xFF ||
        static_cast<unsigned char>(bytes[1]) != 0xFE) {
        return std::nullopt;
    }
    std::u16string units;
    for (size_t at = 2; at < bytes.size(); at += 2) {
        units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[at]) |
                                              (static_cast<unsigned char>(bytes[at + 1]) << 8)));
        if (units.back() == u'\0') return std::nullopt;
    }
    return toUtf8(units);
}

// Lines end at CR LF, CR or LF; blanks around a line do not count.
std::vector<std::string> linesOf(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        const size_t first = line.find_first_not_of(" \t");
        line = first == std::string_view::npos ? std::string_view() : line.substr(first);
        line = line.substr(0, line.find_last_not_of(" \t") + 1);
        lines.emplace_back(line);
        start = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
    }
    return lines;
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

// "[HKEY_LOCAL_MACHINE\K]" or "[-HKEY_LOCAL_MACHINE\K]"; K must name a key below the root, no empty part in it.
std::optional<RegEdit> keyLine(std::string_view line) {
    if (line.size() < 2 || line.back() != ']') return std::nullopt;
    line = line.substr(1, line.size() - 2);
    const bool deletes = !line.empty() && line[0] == '-';
    if (deletes) line.remove_prefix(1);
    if (line.size() <= kRoot.size() || !equalIgnoringCase(line.substr(0, kRoot.size()), kRoot)) return std::nullopt;
    const std::string_view key = line.substr(kRoot.size());
    if (key.find_first_of("[]") != std::string_view::npos || key.front() == '\\' || key.back() == '\\' ||
        key.find("\\\\") != std::string_view::npos) {
        return std::nullopt;
    }
    return RegEdit{.kind = deletes ? RegEdit::Kind::DeleteKey : RegEdit::Kind::CreateKey, .key = std::string(key)};
}

// A quoted text from `at` (its opening quote); on success `at` is past the closing quote. The escapes are \" and
// \\, and \r and \n as Wine's reg.exe exports line breaks; anything else after a backslash is no export's.
std::optional<std::string> quotedAt(std::string_view line, size_t& at) {
    if (at >= line.size() || line[at] != '"') return std::nullopt;
    std::string text;
    for (++at; at < line.size(); ++at) {
        char c = line[at];
        if (c == '"') {
            ++at;
            return text;
        }
        if (c == '\\') {
            if (++at == line.size()) return std::nullopt;
            c = line[at] == 'r' ? '\r' : line[at] == 'n' ? '\n' : line[at];
            if (c != '"' && c != '\\' && c != '\r' && c != '\n') return std::nullopt;
        }
        text.push_back(c);
    }
    return std::nullopt;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "xx,xx,..." as UTF-16LE text; one terminating NUL, if stored, is not part of the text.
std::optional<std::string> hexTextOf(std::string_view data) {
    std::u16string units;
    int low = -1;
    size_t at = 0;
    while (at < data.size()) {
        const size_t end = std::min(data.find(',', at), data.size());
        const std::string_view byte = data.substr(at, end - at);
        if (byte.size() != 2 || hexDigit(byte[0]) < 0 || hexDigit(byte[1]) < 0) return std::nullopt;
        const int value = hexDigit(byte[0]) * 16 + hexDigit(byte[1]);
        if (low < 0) {
            low = value;
        } else {
            units.push_back(static_cast<char16_t>(low | (value << 8)));
            low = -1;
        }
        at = end + 1;
        if (end + 1 == data.size()) return std::nullopt;  // a trailing comma promises a byte more
    }
    if (low >= 0) return std::nullopt;
    if (!units.empty() && units.back() == u'\0') units.pop_back();
    return toUtf8(units);
}

std::optional<uint32_t> dwordOf(std::string_view digits) {
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    uint32_t number = 0;
    for (char c : digits) {
        if (hexDigit(c) < 0) return std::nullopt;
        number = number * 16 + static_cast<uint32_t>(hexDigit(c));
    }
    return number;
}

// `"name"=` and then "text", hex(1):bytes, dword:digits or - ; the line already joined with its continuations.
std::optional<RegEdit> readValueLine(std::string_view line, const std::string& key) {
    size_t at = 0;
    std::optional<std::string> name = quotedAt(line, at);
    if (!name || at >= line.size() || line[at] != '=') return std::nullopt;
    RegEdit edit{.kind = RegEdit::Kind::DeleteValue, .key = key, .name = std::move(*name)};
    const std::string_view data = line.substr(at + 1);
    if (data == "-") return edit;
    if (!data.empty() && data[0] == '"') {
        size_t end = 0;
        std::optional<std::string> text = quotedAt(data, end);
        if (!text || end != data.size()) return std::nullopt;
        edit.kind = RegEdit::Kind::SetText;
        edit.text = std::move(*text);
        return edit;
    }
    constexpr std::string_view kHexText = "hex(1):";
    constexpr std::string_view kDword = "dword:";
    if (equalIgnoringCase(data.substr(0, kHexText.size()), kHexText)) {
        std::optional<std::string> text = hexTextOf(data.substr(kHexText.size()));
        if (!text) return std::nullopt;
        edit.kind = RegEdit::Kind::SetText;
        edit.text = std::move(*text);
        return edit;
    }
    if (equalIgnoringCase(data.substr(0, kDword.size()), kDword)) {
        std::optional<uint32_t> number = dwordOf(data.substr(kDword.size()));
        if (!number) return std::nullopt;
        edit.kind = RegEdit::Kind::SetNumber;
        edit.number = *number;
        return edit;
    }
    return std::nullopt;
}

}  // namespace

// Values are read only inside a section that creates a key: after a deleted key's section they would go nowhere.
std::optional<RegEdits> readRegFile(std::string_view bytes) {
    const std::optional<std::string> text = fileText(bytes);
    if (!text) return std::nullopt;
    const std::vector<std::string> lines = linesOf(*text);
    size_t at = 0;
    while (at < lines.size() && lines[at].empty()) ++at;
    if (at == lines.size() || lines[at] != kHeader) return std::nullopt;
    RegEdits edits;
    std::optional<std::string> section;
    for (++at; at < lines.size(); ++at) {
        std::string line = lines[at];
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            std::optional<RegEdit> key = keyLine(line);
            if (!key) return std::nullopt;
            section = key->kind == RegEdit::Kind::CreateKey ? std::optional(key->key) : std::nullopt;
            edits.push_back(std::move(*key));
            continue;
        }
        // Hex data goes on over the following lines while a line ends in a backslash.
        while (line.back() == '\\' && at + 1 < lines.size() && line.find("=hex") != std::string::npos) {
            line.pop_back();
            line += lines[++at];
        }
        std::optional<RegEdit> value = section ? readValueLine(line, *section) : std::nullopt;
        if (!value) return std::nullopt;
        edits.push_back(std::move(*value));
    }
    return edits;
}

RegEdits regFileEditsOf(const RegEdits& edits) {
    RegEdits written;
    const std::string* section = nullptr;  // key of the section the next value edit would fall in
    for (const RegEdit& edit : edits) {
        if (isValueEdit(edit.kind) && (!section || *section != edit.key)) {
            written.push_back({.kind = RegEdit::Kind::CreateKey, .key = edit.key});
        }
        written.push_back(edit);
        section = edit.kind == RegEdit::Kind::DeleteKey ? nullptr : &edit.key;
    }
    return written;
}

// Each CreateKey opens a section, so the file makes the keys in the order the edits do, and the value edits
// that follow share it; a blank line ends every section, as in reg.exe's exports.
std::string regFileFor(const RegEdits& edits) {
    std::string text = std::string(kHeader) + std::string(kLineEnd);
    for (const RegEdit& edit : regFileEditsOf(edits)) {
        if (edit.kind == RegEdit::Kind::DeleteKey || edit.kind == RegEdit::Kind::CreateKey) {
            text += std::string(kLineEnd) + (edit.kind == RegEdit::Kind::DeleteKey ? "[-" : "[") + std::string(kRoot) +
                    edit.key + "]" + std::string(kLineEnd);
        } else {
            text += valueLineFor(edit) + std::string(kLineEnd);
        }
    }
    return fileBytes(text + std::string(kLineEnd));
}
