#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

// The same reads and writes on the values of one key held open across many of them (the slots of a list), where
// the operations above would open and close the key for each value. Same rules: absent reads as "".
class HeldKey final {
public:
    HeldKey(IRegistry& registry, RootKey root, std::string path);
    std::string GetStringValue(std::string_view name);
    // Every value's name as stored, with its text as GetStringValue reads it, in one pass over the key: a round
    // trip per value instead of one per name asked for. A key that is not there has none; nothing when the key
    // could not be listed.
    std::optional<std::vector<std::pair<std::string, std::string>>> textValues();
    void DeleteValue(std::string_view name);
    [[nodiscard]] Status writeStringValue(std::string_view name, std::string_view text);

private:
    IRegistryKey* open(KeyAccess access, Status& failure);
    template <class Call>
    auto onKey(KeyAccess access, Call call) -> decltype(call(std::declval<IRegistryKey&>()));

    IRegistry& m_registry;
    RootKey m_root;
    std::string m_path;
    std::unique_ptr<IRegistryKey> m_key;
    KeyAccess m_access = KeyAccess::Read;
    std::optional<Status> m_failedOpen;
    KeyAccess m_failedAccess = KeyAccess::Read;
};
