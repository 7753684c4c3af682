#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/IRegistry.h"

// The program's seven registry operations. None reports an error: anything absent, of another type or
// refused reads as "" or 0, and a refused write is lost.
void CreateKey(IRegistry& registry, RootKey root, std::string_view path);
std::string GetStringValue(IRegistry& registry, RootKey root, std::string_view path, std::string_view name);
void SetStringValue(IRegistry& registry, RootKey root, std::string_view path, std::string_view name,
                    std::string_view text);
int32_t GetDWordValue(IRegistry& registry, RootKey root, std::string_view path, std::string_view name);
void SetDWordValue(IRegistry& registry, RootKey root, std::string_view path, std::string_view name, int32_t number);
void DeleteKey(IRegistry& registry, RootKey root, std::string_view path);
void DeleteValue(IRegistry& registry, RootKey root, std::string_view path, std::string_view name);

// The same two writes for the few callers that must tell the user when a write was refused.
[[nodiscard]] Status writeStringValue(IRegistry& registry, RootKey root, std::string_view path, std::string_view name,
                                      std::string_view text);
[[nodiscard]] Status writeDWordValue(IRegistry& registry, RootKey root, std::string_view path, std::string_view name,
                                     int32_t number);
