#include "tests/support/RegistryValues.h"

namespace testsupport {

RegistryValue rawValue(uint32_t type, std::string_view bytes) {
    return RegistryValue{type, std::string(bytes)};
}

RegistryValue dwordBytes(uint32_t bits) {
    std::string bytes(4, '\0');
    for (size_t i = 0; i < 4; ++i) bytes[i] = static_cast<char>((bits >> (8 * i)) & 0xFFu);
    return RegistryValue{regtype::kDWord, bytes};
}

RegistryValue storedValue(IRegistry& registry, RootKey root, std::string_view path, std::string_view name) {
    Result<RegistryValue> stored = registry.queryValue(root, path, name);
    return stored.ok() ? stored.value() : RegistryValue{};
}

}  // namespace testsupport
