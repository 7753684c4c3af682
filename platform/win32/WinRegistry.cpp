#include "platform/win32/WinRegistry.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Utf.h"

namespace {

// The predefined keys are sign-extended 32-bit values, so they are named here, not cast from the enum.
HKEY toHKey(RootKey root) {
    return root == RootKey::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

bool isTextType(uint32_t type) {
    return type == regtype::kSz || type == regtype::kExpandSz || type == regtype::kMultiSz;
}

Status failed(LSTATUS code, const char* api) {
    return Status::failure(static_cast<uint32_t>(code), api);
}

Status invalidText(const char* api) {
    return Status::failure(errc::kInvalidData, api);
}

// Stored UTF-16 to UTF-8 with every character kept, NULs included; an odd trailing byte is not a character.
Result<std::string> textFromStored(const std::vector<BYTE>& bytes) {
    std::wstring wide(bytes.size() / sizeof(wchar_t), L'\0');
    if (!wide.empty()) std::memcpy(wide.data(), bytes.data(), wide.size() * sizeof(wchar_t));
    auto utf8 = tryToUtf8(wide);
    if (!utf8) return invalidText("WideCharToMultiByte");
    return std::move(*utf8);
}

// The value as the registry layer hands it on: text types as UTF-8, everything else as its bytes.
Result<RegistryValue> decoded(DWORD type, const std::vector<BYTE>& bytes) {
    RegistryValue value;
    value.type = type;
    if (isTextType(type)) {
        auto text = textFromStored(bytes);
        if (!text.ok()) return text.status();
        value.data = std::move(text.value());
    } else {
        value.data.assign(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    return value;
}

// One call for the usual short value: the first buffer holds it, and only a longer one is asked for again with
// the size the registry gave (again if it grew in between). Each call is a round trip to the registry.
Result<RegistryValue> queryOpenKey(HKEY key, const std::wstring& name) {
    constexpr size_t kFirstReadBytes = 512;
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes(kFirstReadBytes);
    LSTATUS rc = ERROR_SUCCESS;
    for (;;) {
        auto size = static_cast<DWORD>(bytes.size());
        rc = ::RegQueryValueExW(key, name.c_str(), nullptr, &type, bytes.data(), &size);
        if (rc == ERROR_SUCCESS) bytes.resize(size);
        if (rc != ERROR_MORE_DATA) break;
        bytes.resize(std::max<size_t>(size, bytes.size() * 2));
    }
    if (rc != ERROR_SUCCESS) return failed(rc, "RegQueryValueExW");
    return decoded(type, bytes);
}

// Every value with its data, by index. A value that grew since the sizes were asked for is asked for again with
// more room; one deleted meanwhile ends the list early.
Result<std::vector<NamedValue>> enumerateOpenKey(HKEY key) {
    DWORD count = 0;
    DWORD longestName = 0;
    DWORD largestData = 0;
    LSTATUS rc = ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName,
                                    &largestData, nullptr, nullptr);
    if (rc != ERROR_SUCCESS) return failed(rc, "RegQueryInfoKeyW");
    std::vector<NamedValue> all;
    all.reserve(count);
    std::wstring name(longestName + 1, L'\0');
    std::vector<BYTE> bytes(std::max<DWORD>(largestData, 1));
    for (DWORD index = 0;;) {
        auto nameLength = static_cast<DWORD>(name.size());
        auto size = static_cast<DWORD>(bytes.size());
        DWORD type = REG_NONE;
        rc = ::RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type, bytes.data(), &size);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc == ERROR_MORE_DATA) {
            name.resize(std::max<size_t>(name.size() * 2, 256));
            bytes.resize(std::max<size_t>(size, bytes.size() * 2));
            continue;
        }
        if (rc != ERROR_SUCCESS) return failed(rc, "RegEnumValueW");
        auto text = tryToUtf8(std::wstring_view(name.data(), nameLength));
        if (!text) return invalidText("WideCharToMultiByte");
        Result<RegistryValue> value = decoded(type, std::vector<BYTE>(bytes.begin(), bytes.begin() + size));
        if (!value.ok()) return value.status();
        all.push_back({std::move(*text), std::move(value.value())});
        ++index;
    }
    return all;
}


// The bytes RegSetValueExW is handed: text is written exactly as given, a terminator stored only when the caller
// put one in. Text goes as UTF-16 from `wide`, everything else as the value's own bytes.
struct StoredForm {
    std::wstring wide;
    DWORD size = 0;
};

Result<StoredForm> storedForm(const RegistryValue& value) {
    StoredForm form;
    size_t size = value.data.size();
    if (isTextType(value.type)) {
        auto converted = tryToWide(value.data);
        if (!converted) return invalidText("MultiByteToWideChar");
        form.wide = std::move(*converted);
        size = form.wide.size() * sizeof(wchar_t);
        // RegSetValueExW stores one character more when the text lacks a terminator but a NUL follows
        // it in memory (as it always does in a std::wstring); a non-NUL sentinel there keeps it exact.
        form.wide.push_back(L'?');
    }
    if (size > MAXDWORD) return Status::failure(errc::kInvalidData, "RegSetValueExW");
    form.size = static_cast<DWORD>(size);
    return form;
}

Status setOnOpenKey(HKEY key, const std::wstring& name, const RegistryValue& value, const StoredForm& form) {
    const BYTE* data = isTextType(value.type) ? reinterpret_cast<const BYTE*>(form.wide.data())
                                              : reinterpret_cast<const BYTE*>(value.data.data());
    const LSTATUS rc = ::RegSetValueExW(key, name.c_str(), 0, value.type, data, form.size);
    if (rc != ERROR_SUCCESS) return failed(rc, "RegSetValueExW");
    return Status::success();
}

Status deleteOnOpenKey(HKEY key, const std::wstring& name) {
    const LSTATUS rc = ::RegDeleteValueW(key, name.c_str());
    if (rc != ERROR_SUCCESS) return failed(rc, "RegDeleteValueW");
    return Status::success();
}

class WinRegistryKey final : public IRegistryKey {
public:
    explicit WinRegistryKey(UniqueHKey key) : m_key(std::move(key)) {}
    Result<RegistryValue> queryValue(std::string_view name) override {
        auto wideName = tryToWide(name);
        if (!wideName) return invalidText("MultiByteToWideChar");
        return queryOpenKey(m_key.get(), *wideName);
    }
    Result<std::vector<NamedValue>> values() override { return enumerateOpenKey(m_key.get()); }
    Status setValue(std::string_view name, const RegistryValue& value) override {
        auto wideName = tryToWide(name);
        if (!wideName) return invalidText("MultiByteToWideChar");
        Result<StoredForm> form = storedForm(value);
        if (!form.ok()) return form.status();
        return setOnOpenKey(m_key.get(), *wideName, value, form.value());
    }
    Status deleteValue(std::string_view name) override {
        auto wideName = tryToWide(name);
        if (!wideName) return invalidText("MultiByteToWideChar");
        return deleteOnOpenKey(m_key.get(), *wideName);
    }

private:
    UniqueHKey m_key;
};

}  // namespace

Status WinRegistry::createKey(RootKey root, std::string_view path) {
    auto widePath = tryToWide(path);
    if (!widePath) return invalidText("MultiByteToWideChar");
    UniqueHKey key;
    const LSTATUS rc =
        ::RegCreateKeyExW(toHKey(root), widePath->c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr);
    if (rc != ERROR_SUCCESS) return failed(rc, "RegCreateKeyExW");
    return Status::success();
}

Result<RegistryValue> WinRegistry::queryValue(RootKey root, std::string_view path, std::string_view name) {
    auto widePath = tryToWide(path);
    auto wideName = tryToWide(name);
    if (!widePath || !wideName) return invalidText("MultiByteToWideChar");
    UniqueHKey key;
    const LSTATUS rc = ::RegOpenKeyExW(toHKey(root), widePath->c_str(), 0, KEY_QUERY_VALUE, key.put());
    if (rc != ERROR_SUCCESS) return failed(rc, "RegOpenKeyExW");
    return queryOpenKey(key.get(), *wideName);
}

Status WinRegistry::setValue(RootKey root, std::string_view path, std::string_view name, const RegistryValue& value) {
    auto widePath = tryToWide(path);
    auto wideName = tryToWide(name);
    if (!widePath || !wideName) return invalidText("MultiByteToWideChar");
    Result<StoredForm> form = storedForm(value);
    if (!form.ok()) return form.status();
    UniqueHKey key;
    const LSTATUS rc =
        ::RegCreateKeyExW(toHKey(root), widePath->c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr);
    if (rc != ERROR_SUCCESS) return failed(rc, "RegCreateKeyExW");
    return setOnOpenKey(key.get(), *wideName, value, form.value());
}

Result<std::unique_ptr<IRegistryKey>> WinRegistry::openKey(RootKey root, std::string_view path, KeyAccess access) {
    auto widePath = tryToWide(path);
    if (!widePath) return invalidText("MultiByteToWideChar");
    UniqueHKey key;
    if (access == KeyAccess::Create) {
        const LSTATUS rc = ::RegCreateKeyExW(toHKey(root), widePath->c_str(), 0, nullptr, 0,
                                             KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, key.put(), nullptr);
        if (rc != ERROR_SUCCESS) return failed(rc, "RegCreateKeyExW");
    } else {
        const REGSAM rights = access == KeyAccess::Write ? KEY_QUERY_VALUE | KEY_SET_VALUE : KEY_QUERY_VALUE;
        const LSTATUS rc = ::RegOpenKeyExW(toHKey(root), widePath->c_str(), 0, rights, key.put());
        if (rc != ERROR_SUCCESS) return failed(rc, "RegOpenKeyExW");
    }
    return std::unique_ptr<IRegistryKey>(std::make_unique<WinRegistryKey>(std::move(key)));
}

Status WinRegistry::deleteKey(RootKey root, std::string_view path) {
    auto widePath = tryToWide(path);
    if (!widePath) return invalidText("MultiByteToWideChar");
    const LSTATUS rc = ::RegDeleteKeyW(toHKey(root), widePath->c_str());
    if (rc != ERROR_SUCCESS) return failed(rc, "RegDeleteKeyW");
    return Status::success();
}

Status WinRegistry::deleteValue(RootKey root, std::string_view path, std::string_view name) {
    auto widePath = tryToWide(path);
    auto wideName = tryToWide(name);
    if (!widePath || !wideName) return invalidText("MultiByteToWideChar");
    UniqueHKey key;
    const LSTATUS rc = ::RegOpenKeyExW(toHKey(root), widePath->c_str(), 0, KEY_SET_VALUE, key.put());
    if (rc != ERROR_SUCCESS) return failed(rc, "RegOpenKeyExW");
    return deleteOnOpenKey(key.get(), *wideName);
}
