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
    enum class Op { Create, Query, Set, DeleteKey, DeleteValue };

    SimRegistry();
    ~SimRegistry() override;

    Status createKey(RootKey root, std::string_view path) override;
    Result<RegistryValue> queryValue(RootKey root, std::string_view path, std::string_view name) override;
    Status setValue(RootKey root, std::string_view path, std::string_view name, const RegistryValue& value) override;
    Status deleteKey(RootKey root, std::string_view path) override;
    Status deleteValue(RootKey root, std::string_view path, std::string_view name) override;

    // As for a standard user: every create, write and delete under LocalMachine is refused.
    void setMachineWideWritesDenied(bool denied) { m_machineWideDenied = denied; }
    // The next call of this kind fails once with the code; several calls queue up.
    void failNext(Op op, uint32_t code);

    bool keyExists(RootKey root, std::string_view path) const;
    std::vector<std::string> valueNames(RootKey root, std::string_view path) const;
    std::vector<std::string> subKeyNames(RootKey root, std::string_view path) const;

private:
    struct Key;
    Key& rootKey(RootKey root) const;
    const Key* find(RootKey root, std::string_view path) const;
    Key* find(RootKey root, std::string_view path);
    Key& create(RootKey root, std::string_view path);
    bool injectedFailure(Op op, uint32_t& code);
    bool deniedWrite(RootKey root) const;

    std::unique_ptr<Key> m_currentUser;
    std::unique_ptr<Key> m_localMachine;
    bool m_machineWideDenied = false;
    std::map<Op, std::deque<uint32_t>> m_failures;
};

}  // namespace sim
