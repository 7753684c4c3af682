#pragma once
#include <cstdint>
#include <string>
#include <string_view>

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
};
