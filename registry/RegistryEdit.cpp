#include "registry/RegistryEdit.h"

// Every Status below is dropped on purpose: callers treat "" and 0 as not set, and a write Windows
// refuses (a standard user under HKEY_LOCAL_MACHINE) is meant to be lost without a word.

void CreateKey(IRegistry& registry, RootKey root, std::string_view path) {
    (void)registry.createKey(root, path);
}

std::string GetStringValue(IRegistry& registry, RootKey root, std::string_view path, std::string_view name) {
    Result<RegistryValue> stored = registry.queryValue(root, path, name);
    if (!stored.ok() || stored.value().type != regtype::kSz) return {};
    const std::string& data = stored.value().data;
    // Text stored without its terminator is read whole; anything after an inner NUL is not part of it.
    return data.substr(0, data.find('\0'));
}

void SetStringValue(IRegistry& registry, RootKey root, std::string_view path, std::string_view name,
                    std::string_view text) {
    (void)writeStringValue(registry, root, path, name, text);
}

Status writeStringValue(IRegistry& registry, RootKey root, std::string_view path, std::string_view name,
                        std::string_view text) {
    RegistryValue value{regtype::kSz, std::string(text)};
    value.data.push_back('\0');
    return registry.setValue(root, path, name, value);
}

int32_t GetDWordValue(IRegistry& registry, RootKey root, std::string_view path, std::string_view name) {
    Result<RegistryValue> stored = registry.queryValue(root, path, name);
    if (!stored.ok() || stored.value().type != regtype::kDWord || stored.value().data.size() != 4) return 0;
    const std::string& data = stored.value().data;
    uint32_t bits = 0;
    for (int i = 3; i >= 0; --i) bits = (bits << 8) | static_cast<unsigned char>(data[static_cast<size_t>(i)]);
    return static_cast<int32_t>(bits);
}

void SetDWordValue(IRegistry& registry, RootKey root, std::string_view path, std::string_view name, int32_t number) {
    (void)writeDWordValue(registry, root, path, name, number);
}

Status writeDWordValue(IRegistry& registry, RootKey root, std::string_view path, std::string_view name,
                       int32_t number) {
    const auto bits = static_cast<uint32_t>(number);
    RegistryValue value{regtype::kDWord, std::string(4, '\0')};
    for (size_t i = 0; i < 4; ++i) value.data[i] = static_cast<char>((bits >> (8 * i)) & 0xFFu);
    return registry.setValue(root, path, name, value);
}

void DeleteKey(IRegistry& registry, RootKey root, std::string_view path) {
    (void)registry.deleteKey(root, path);
}

void DeleteValue(IRegistry& registry, RootKey root, std::string_view path, std::string_view name) {
    (void)registry.deleteValue(root, path, name);
}
