// Registry commands: read what a program stored, plant raw values it must cope with, clean up.
#include <windows.h>

#include <sddl.h>

#include <cstdio>
#include <cstring>
#include <map>

#include "Args.h"
#include "Commands.h"
#include "Text.h"

namespace {

class Key {
public:
    Key() = default;
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    ~Key() {
        if (m_key) ::RegCloseKey(m_key);
    }
    HKEY get() const { return m_key; }
    HKEY* put() { return &m_key; }

private:
    HKEY m_key = nullptr;
};

struct Location {
    HKEY root = nullptr;
    std::wstring path;
    std::wstring name;
};

const std::map<std::string, DWORD> kTypes = {{"REG_NONE", REG_NONE},           {"REG_SZ", REG_SZ},
                                             {"REG_EXPAND_SZ", REG_EXPAND_SZ}, {"REG_BINARY", REG_BINARY},
                                             {"REG_DWORD", REG_DWORD},         {"REG_MULTI_SZ", REG_MULTI_SZ},
                                             {"REG_QWORD", REG_QWORD}};

std::optional<Location> locationOf(const Args& args, bool needsValue, int& code) {
    const std::string root = args.valueOr("root", "");
    Location location;
    if (root == "HKLM" || root == "HKEY_LOCAL_MACHINE") location.root = HKEY_LOCAL_MACHINE;
    if (root == "HKCU" || root == "HKEY_CURRENT_USER") location.root = HKEY_CURRENT_USER;
    auto key = args.value("key");
    auto value = args.value("value");
    if (!location.root || !key || (needsValue && !value)) {
        code = complain("name --root HKLM|HKCU, --key and, where it applies, --value", kUsage);
        return std::nullopt;
    }
    location.path = toWide(*key);
    location.name = toWide(value.value_or(""));
    return location;
}

std::string typeName(DWORD type) {
    for (const auto& [name, number] : kTypes) {
        if (number == type) return name;
    }
    return "REG_TYPE_" + std::to_string(type);
}

std::string hexOf(const std::vector<BYTE>& bytes) {
    std::string text;
    char pair[3];
    for (BYTE b : bytes) {
        std::snprintf(pair, sizeof pair, "%02x", b);
        text += pair;
    }
    return text;
}

// One stored terminator is dropped; any other NUL is shown as \0 so it cannot hide.
std::string textOf(const std::vector<BYTE>& bytes) {
    std::wstring wide(bytes.size() / sizeof(wchar_t), L'\0');
    if (!wide.empty()) std::memcpy(wide.data(), bytes.data(), wide.size() * sizeof(wchar_t));
    if (!wide.empty() && wide.back() == L'\0') wide.pop_back();
    std::string text;
    size_t start = 0;
    for (size_t nul = wide.find(L'\0'); nul != std::wstring::npos; nul = wide.find(L'\0', start)) {
        text += toUtf8(std::wstring_view(wide).substr(start, nul - start)) + "\\0";
        start = nul + 1;
    }
    return text + toUtf8(std::wstring_view(wide).substr(start));
}

int regQuery(const Args& args) {
    int code = kUsage;
    auto where = locationOf(args, true, code);
    if (!where) return code;
    Key key;
    LSTATUS rc = ::RegOpenKeyExW(where->root, where->path.c_str(), 0, KEY_QUERY_VALUE, key.put());
    if (rc != ERROR_SUCCESS) return complain("key not found (" + std::to_string(rc) + ")", kMissing);
    DWORD type = REG_NONE;
    DWORD size = 0;
    rc = ::RegQueryValueExW(key.get(), where->name.c_str(), nullptr, &type, nullptr, &size);
    if (rc != ERROR_SUCCESS) return complain("value not found (" + std::to_string(rc) + ")", kMissing);
    std::vector<BYTE> bytes(size);
    rc = ::RegQueryValueExW(key.get(), where->name.c_str(), nullptr, &type, bytes.data(), &size);
    if (rc != ERROR_SUCCESS) return complain("RegQueryValueExW failed (" + std::to_string(rc) + ")", kNo);
    bytes.resize(size);

    std::string data;
    if (args.has("hex")) {
        data = hexOf(bytes);
    } else if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
        data = textOf(bytes);
    } else if (type == REG_DWORD && bytes.size() == 4) {
        DWORD number = 0;
        std::memcpy(&number, bytes.data(), 4);
        data = std::to_string(number);
    } else {
        data = hexOf(bytes);
    }
    return say(typeName(type) + " " + data, kYes);
}

std::optional<std::vector<BYTE>> bytesFromHex(const std::string& hex) {
    if (hex.size() % 2 != 0) return std::nullopt;
    std::vector<BYTE> bytes;
    for (size_t i = 0; i < hex.size(); i += 2) {
        unsigned value = 0;
        if (std::sscanf(hex.c_str() + i, "%2x", &value) != 1) return std::nullopt;
        bytes.push_back(static_cast<BYTE>(value));
    }
    return bytes;
}

std::optional<std::vector<BYTE>> dataOf(const Args& args, int& code) {
    bool ok = true;
    if (auto hex = args.value("hex")) {
        auto bytes = bytesFromHex(*hex);
        if (!bytes) code = complain("--hex needs pairs of hex digits", kUsage);
        return bytes;
    }
    if (args.has("dword")) {
        const DWORD number = static_cast<DWORD>(args.number("dword", 0, ok));
        if (!ok) {
            code = complain("--dword needs a number", kUsage);
            return std::nullopt;
        }
        std::vector<BYTE> bytes(4);
        std::memcpy(bytes.data(), &number, 4);
        return bytes;
    }
    std::wstring text = toWide(args.valueOr("text", ""));
    if (!args.has("no-nul")) text.push_back(L'\0');
    std::vector<BYTE> bytes(text.size() * sizeof(wchar_t));
    if (!bytes.empty()) std::memcpy(bytes.data(), text.data(), bytes.size());
    return bytes;
}

int regSetRaw(const Args& args) {
    int code = kUsage;
    auto where = locationOf(args, true, code);
    if (!where) return code;
    auto type = kTypes.find(args.valueOr("type", "REG_SZ"));
    if (type == kTypes.end()) return complain("unknown --type", kUsage);
    auto bytes = dataOf(args, code);
    if (!bytes) return code;
    // RegSetValueExW adds a character to text that lacks a terminator when a NUL follows it in
    // memory; a non-NUL sentinel behind the data keeps the stored bytes exactly as given.
    std::vector<BYTE> buffer = *bytes;
    buffer.push_back('?');
    buffer.push_back(0x7f);
    Key key;
    LSTATUS rc = ::RegCreateKeyExW(where->root, where->path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                   key.put(), nullptr);
    if (rc != ERROR_SUCCESS) return complain("RegCreateKeyExW failed (" + std::to_string(rc) + ")", kNo);
    rc = ::RegSetValueExW(key.get(), where->name.c_str(), 0, type->second, buffer.data(),
                          static_cast<DWORD>(bytes->size()));
    if (rc != ERROR_SUCCESS) return complain("RegSetValueExW failed (" + std::to_string(rc) + ")", kNo);
    return say("set", kYes);
}

int regDelete(const Args& args) {
    int code = kUsage;
    auto where = locationOf(args, false, code);
    if (!where) return code;
    LSTATUS rc = ERROR_SUCCESS;
    if (args.has("value")) {
        Key key;
        rc = ::RegOpenKeyExW(where->root, where->path.c_str(), 0, KEY_SET_VALUE, key.put());
        if (rc == ERROR_SUCCESS) rc = ::RegDeleteValueW(key.get(), where->name.c_str());
    } else if (args.has("tree")) {
        rc = ::RegDeleteTreeW(where->root, where->path.c_str());  // the named key goes too
    } else {
        rc = ::RegDeleteKeyW(where->root, where->path.c_str());
    }
    if (rc == ERROR_FILE_NOT_FOUND) return say("absent", kYes);
    if (rc != ERROR_SUCCESS) return complain("delete failed (" + std::to_string(rc) + ")", kNo);
    return say("deleted", kYes);
}

// The account the driver runs for, which is the program's: the per-account settings are kept under its name.
int userSid(const Args&) {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return complain("no token", kCannot);
    std::vector<BYTE> buffer(256);
    DWORD size = 0;
    const BOOL read = ::GetTokenInformation(token, TokenUser, buffer.data(), static_cast<DWORD>(buffer.size()), &size);
    ::CloseHandle(token);
    wchar_t* text = nullptr;
    if (!read || !::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
        return complain("the account's identifier cannot be read", kCannot);
    }
    const std::string sid = toUtf8(text);
    ::LocalFree(text);
    return say(sid, kYes);
}

}  // namespace

void addRegistryCommands(std::vector<Command>& table) {
    table.push_back({"user-sid", {}, "", userSid});
    table.push_back({"reg-query", {"root", "key", "value", "hex!"}, "--root HKLM|HKCU --key K --value V [--hex]",
                     regQuery});
    table.push_back({"reg-set-raw",
                     {"root", "key", "value", "type", "text", "no-nul!", "hex", "dword"},
                     "--root R --key K --value V [--type REG_SZ|...] (--text S [--no-nul] | --hex BYTES | --dword N)",
                     regSetRaw});
    table.push_back({"reg-delete", {"root", "key", "value", "tree!"}, "--root R --key K [--value V | --tree]",
                     regDelete});
}
