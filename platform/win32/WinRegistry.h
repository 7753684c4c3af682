#pragma once
#include "platform/IRegistry.h"

// The registry through advapi32's wide calls; every key handle is closed by UniqueHKey.
class WinRegistry final : public IRegistry {
public:
    Status createKey(RootKey root, std::string_view path) override;
    Result<RegistryValue> queryValue(RootKey root, std::string_view path, std::string_view name) override;
    Status setValue(RootKey root, std::string_view path, std::string_view name, const RegistryValue& value) override;
    Status deleteKey(RootKey root, std::string_view path) override;
    Status deleteValue(RootKey root, std::string_view path, std::string_view name) override;
    Result<std::unique_ptr<IRegistryKey>> openKey(RootKey root, std::string_view path, KeyAccess access) override;
};
