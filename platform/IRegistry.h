#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Status.h"

enum class RootKey : uint32_t { CurrentUser = 0x80000001u, LocalMachine = 0x80000002u };

namespace regtype {
constexpr uint32_t kNone = 0;
constexpr uint32_t kSz = 1;
constexpr uint32_t kExpandSz = 2;
constexpr uint32_t kBinary = 3;
constexpr uint32_t kDWord = 4;
constexpr uint32_t kMultiSz = 7;
}  // namespace regtype

// A stored value as the registry holds it. For the text types `data` is the stored characters
// in UTF-8, every NUL kept exactly as stored (a terminator is there only if one was stored);
// for every other type it is the raw bytes.
struct RegistryValue {
    uint32_t type = regtype::kNone;
    std::string data{};
};

// One value of a key, with the name as it was stored.
struct NamedValue {
    std::string name{};
    RegistryValue value{};
};

// What a key is opened for. Write and Create allow queries too; Create first makes every missing key of the
// path, as the writes below do, while Read and Write open only a key that is there.
enum class KeyAccess { Read, Write, Create };

// One open key, closed when destroyed; it must not outlive its registry. Values stored or deleted meanwhile by
// anyone are seen, as they are the key's own. A key deleted while open stays deleted for this handle: every call
// then fails with kKeyDeleted, also once a key of the same name has been made again.
class IRegistryKey {
public:
    virtual ~IRegistryKey() = default;
    virtual Result<RegistryValue> queryValue(std::string_view name) = 0;
    // Every value of the key with its data, in no set order: one round trip to the registry per value, where a
    // query per name would also pay for every name that holds nothing.
    virtual Result<std::vector<NamedValue>> values() = 0;
    // Both are refused with "access denied" on a key opened for reading.
    virtual Status setValue(std::string_view name, const RegistryValue& value) = 0;
    virtual Status deleteValue(std::string_view name) = 0;
};

// Raw registry access. The read and write rules of the program live in RegistryEdit, above this.
class IRegistry {
public:
    virtual ~IRegistry() = default;
    virtual Status createKey(RootKey root, std::string_view path) = 0;
    virtual Result<RegistryValue> queryValue(RootKey root, std::string_view path, std::string_view name) = 0;
    // Creates every missing key of the path first.
    virtual Status setValue(RootKey root, std::string_view path, std::string_view name, const RegistryValue& value) = 0;
    // Refused while the key still has sub-keys.
    virtual Status deleteKey(RootKey root, std::string_view path) = 0;
    virtual Status deleteValue(RootKey root, std::string_view path, std::string_view name) = 0;
    // For many values of one key: each call above opens and closes its key, a round trip to the registry each.
    virtual Result<std::unique_ptr<IRegistryKey>> openKey(RootKey root, std::string_view path, KeyAccess access) = 0;
};
