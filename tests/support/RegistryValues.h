#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/IRegistry.h"

namespace testsupport {

// Stored values built byte by byte, for planting what the program itself would never write.
RegistryValue rawValue(uint32_t type, std::string_view bytes);
RegistryValue dwordBytes(uint32_t bits);  // 4 bytes, little-endian

// The value as stored, type and bytes; type kNone and no bytes when there is none.
RegistryValue storedValue(IRegistry& registry, RootKey root, std::string_view path, std::string_view name);

}  // namespace testsupport
