#pragma once
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/IRegistry.h"

namespace sim {

// The machine's registry in memory. Key and value names match without regard to case and
// keep the case they were created with, as Windows does.
class SimRegistry final : public IRegistry {
public:
    // Open is an openKey for reading or writing; one that creates is a Create.
    enum class Op { Create, Open, Query, Set, DeleteKey, DeleteValue };

    SimRegistry();
    ~SimRegistry() override;

    Status createKey(RootKey root, std::string_view path) override;
    Result<RegistryValue> queryValue(RootKey root, std::string_view path, std::string_view name) override;
    Status setValue(RootKey root, std::string_view path, std::string_view name, const RegistryValue& value) override;
    Status deleteKey(RootKey root, std::string_view path) override;
    Status deleteValue(RootKey root, std::string_view path, std::string_view name) override;
    Result<std::unique_ptr<IRegistryKey>> openKey(RootKey root, std::string_view path, KeyAccess access) override;

    // As for a standard user: every create, write and delete under LocalMachine is refused.
    void setMachineWideWritesDenied(bool denied) { m_machineWideDenied = denied; }
    bool machineWideWritesDenied() const { return m_machineWideDenied; }
    // The next call of this kind fails once with the code; several calls queue up.
    void failNext(Op op, uint32_t code);

    bool keyExists(RootKey root, std::string_view path) const;
    std::vector<std::string> valueNames(RootKey root, std::string_view path) const;
    std::vector<std::string> subKeyNames(RootKey root, std::string_view path) const;
    // Keys opened with openKey and not closed yet.
    int openKeyCount() const { return m_openKeys; }

private:
    struct Key;
    class OpenKey;
    std::shared_ptr<Key> find(RootKey root, std::string_view path) const;
    std::shared_ptr<Key> create(RootKey root, std::string_view path);
    bool injectedFailure(Op op, uint32_t& code);
    bool deniedWrite(RootKey root) const;
    static bool storable(std::string_view name, const RegistryValue& value);
    static void storeValue(Key& key, std::string_view name, const RegistryValue& value);

    std::shared_ptr<Key> m_currentUser;
    std::shared_ptr<Key> m_localMachine;
    bool m_machineWideDenied = false;
    std::map<Op, std::deque<uint32_t>> m_failures;
    int m_openKeys = 0;
};

}  // namespace sim
