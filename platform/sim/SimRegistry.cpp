#include "platform/sim/SimRegistry.h"

#include "platform/sim/SimText.h"

namespace sim {

namespace {

// The components of a path; empty ones (a trailing or doubled backslash) name nothing.
std::vector<std::string_view> components(std::string_view path) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string_view::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

const char* apiOf(SimRegistry::Op op) {
    switch (op) {
        case SimRegistry::Op::Create:
            return "RegCreateKeyExW";
        case SimRegistry::Op::Open:
            return "RegOpenKeyExW";
        case SimRegistry::Op::Query:
            return "RegQueryValueExW";
        case SimRegistry::Op::Set:
            return "RegSetValueExW";
        case SimRegistry::Op::DeleteKey:
            return "RegDeleteKeyW";
        case SimRegistry::Op::DeleteValue:
            return "RegDeleteValueW";
    }
    return "";
}

Status refused(SimRegistry::Op op, uint32_t code) {
    return Status::failure(code, apiOf(op));
}

}  // namespace

// Maps are keyed by the folded name, so lookups ignore case and listings come out in the order regedit shows.
// Open keys share a key with the tree, so one deleted while open lives on, marked, until its handle closes.
struct SimRegistry::Key {
    struct Child {
        std::string name;
        std::shared_ptr<Key> key;
    };
    struct Value {
        std::string name;
        RegistryValue value;
    };
    std::map<std::string, Child> children;
    std::map<std::string, Value> values;
    bool deleted = false;
};

// Rights are checked when the key is opened, as Windows checks a handle's access once: a standard user's
// switch that comes later does not take back a handle opened for writing.
class SimRegistry::OpenKey final : public IRegistryKey {
public:
    OpenKey(SimRegistry& registry, std::shared_ptr<Key> key, bool writable)
        : m_registry(registry), m_key(std::move(key)), m_writable(writable) {
        ++m_registry.m_openKeys;
    }
    ~OpenKey() override { --m_registry.m_openKeys; }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

    Result<RegistryValue> queryValue(std::string_view name) override {
        uint32_t code = 0;
        if (m_registry.injectedFailure(Op::Query, code)) return refused(Op::Query, code);
        if (m_key->deleted) return refused(Op::Query, errc::kKeyDeleted);
        auto value = m_key->values.find(foldCase(name));
        if (value == m_key->values.end()) return refused(Op::Query, errc::kFileNotFound);
        return value->second.value;
    }
    Result<std::vector<NamedValue>> values() override {
        uint32_t code = 0;
        if (m_registry.injectedFailure(Op::Query, code)) return refused(Op::Query, code);
        if (m_key->deleted) return refused(Op::Query, errc::kKeyDeleted);
        std::vector<NamedValue> all;
        for (const auto& [folded, stored] : m_key->values) all.push_back({stored.name, stored.value});
        return all;
    }
    Status setValue(std::string_view name, const RegistryValue& value) override {
        uint32_t code = 0;
        if (m_registry.injectedFailure(Op::Set, code)) return refused(Op::Set, code);
        if (!m_writable) return refused(Op::Set, errc::kAccessDenied);
        if (!storable(name, value)) return Status::failure(errc::kInvalidData, "MultiByteToWideChar");
        if (m_key->deleted) return refused(Op::Set, errc::kKeyDeleted);
        storeValue(*m_key, name, value);
        return Status::success();
    }
    Status deleteValue(std::string_view name) override {
        uint32_t code = 0;
        if (m_registry.injectedFailure(Op::DeleteValue, code)) return refused(Op::DeleteValue, code);
        if (!m_writable) return refused(Op::DeleteValue, errc::kAccessDenied);
        if (m_key->deleted) return refused(Op::DeleteValue, errc::kKeyDeleted);
        if (m_key->values.erase(foldCase(name)) == 0) return refused(Op::DeleteValue, errc::kFileNotFound);
        return Status::success();
    }

private:
    SimRegistry& m_registry;
    std::shared_ptr<Key> m_key;
    bool m_writable;
};

SimRegistry::SimRegistry() : m_currentUser(std::make_shared<Key>()), m_localMachine(std::make_shared<Key>()) {}

SimRegistry::~SimRegistry() = default;

std::shared_ptr<SimRegistry::Key> SimRegistry::find(RootKey root, std::string_view path) const {
    std::shared_ptr<Key> key = root == RootKey::LocalMachine ? m_localMachine : m_currentUser;
    for (std::string_view part : components(path)) {
        auto child = key->children.find(foldCase(part));
        if (child == key->children.end()) return nullptr;
        key = child->second.key;
    }
    return key;
}

std::shared_ptr<SimRegistry::Key> SimRegistry::create(RootKey root, std::string_view path) {
    std::shared_ptr<Key> key = root == RootKey::LocalMachine ? m_localMachine : m_currentUser;
    for (std::string_view part : components(path)) {
        Key::Child& child = key->children[foldCase(part)];
        if (!child.key) child = {std::string(part), std::make_shared<Key>()};
        key = child.key;
    }
    return key;
}

void SimRegistry::failNext(Op op, uint32_t code) {
    m_failures[op].push_back(code);
}

bool SimRegistry::injectedFailure(Op op, uint32_t& code) {
    auto queued = m_failures.find(op);
    if (queued == m_failures.end() || queued->second.empty()) return false;
    code = queued->second.front();
    queued->second.pop_front();
    return true;
}

bool SimRegistry::deniedWrite(RootKey root) const {
    return m_machineWideDenied && root == RootKey::LocalMachine;
}

Status SimRegistry::createKey(RootKey root, std::string_view path) {
    uint32_t code = 0;
    if (injectedFailure(Op::Create, code)) return refused(Op::Create, code);
    if (deniedWrite(root)) return refused(Op::Create, errc::kAccessDenied);
    create(root, path);
    return Status::success();
}

Result<RegistryValue> SimRegistry::queryValue(RootKey root, std::string_view path, std::string_view name) {
    uint32_t code = 0;
    if (injectedFailure(Op::Query, code)) return refused(Op::Query, code);
    const std::shared_ptr<Key> key = find(root, path);
    if (!key) return Status::failure(errc::kFileNotFound, "RegOpenKeyExW");
    auto value = key->values.find(foldCase(name));
    if (value == key->values.end()) return refused(Op::Query, errc::kFileNotFound);
    return value->second.value;
}

Status SimRegistry::setValue(RootKey root, std::string_view path, std::string_view name, const RegistryValue& value) {
    uint32_t code = 0;
    if (injectedFailure(Op::Set, code)) return refused(Op::Set, code);
    if (!isValidUtf8(path) || !storable(name, value)) return Status::failure(errc::kInvalidData, "MultiByteToWideChar");
    if (deniedWrite(root)) return Status::failure(errc::kAccessDenied, "RegCreateKeyExW");
    storeValue(*create(root, path), name, value);
    return Status::success();
}

// Text that is not UTF-8 has no UTF-16 form for the registry to hold, so it is refused as the Win32 backend's
// conversion refuses it.
bool SimRegistry::storable(std::string_view name, const RegistryValue& value) {
    const bool text = value.type == regtype::kSz || value.type == regtype::kExpandSz || value.type == regtype::kMultiSz;
    return isValidUtf8(name) && (!text || isValidUtf8(value.data));
}

// A value keeps the spelling of its name from when it was first stored.
void SimRegistry::storeValue(Key& key, std::string_view name, const RegistryValue& value) {
    Key::Value& stored = key.values[foldCase(name)];
    if (stored.name.empty()) stored.name = std::string(name);
    stored.value = value;
}

Status SimRegistry::deleteKey(RootKey root, std::string_view path) {
    uint32_t code = 0;
    if (injectedFailure(Op::DeleteKey, code)) return refused(Op::DeleteKey, code);
    if (deniedWrite(root)) return refused(Op::DeleteKey, errc::kAccessDenied);
    const std::vector<std::string_view> parts = components(path);
    // The root keys themselves cannot be deleted.
    if (parts.empty()) return refused(Op::DeleteKey, errc::kAccessDenied);
    std::string parentPath;
    for (size_t i = 0; i + 1 < parts.size(); ++i) parentPath.append(parts[i]).push_back('\\');
    const std::shared_ptr<Key> parent = find(root, parentPath);
    if (!parent) return refused(Op::DeleteKey, errc::kFileNotFound);
    auto child = parent->children.find(foldCase(parts.back()));
    if (child == parent->children.end()) return refused(Op::DeleteKey, errc::kFileNotFound);
    if (!child->second.key->children.empty()) return refused(Op::DeleteKey, errc::kAccessDenied);
    child->second.key->deleted = true;
    parent->children.erase(child);
    return Status::success();
}

Status SimRegistry::deleteValue(RootKey root, std::string_view path, std::string_view name) {
    uint32_t code = 0;
    if (injectedFailure(Op::DeleteValue, code)) return refused(Op::DeleteValue, code);
    if (deniedWrite(root)) return refused(Op::DeleteValue, errc::kAccessDenied);
    const std::shared_ptr<Key> key = find(root, path);
    if (!key) return Status::failure(errc::kFileNotFound, "RegOpenKeyExW");
    if (key->values.erase(foldCase(name)) == 0) return refused(Op::DeleteValue, errc::kFileNotFound);
    return Status::success();
}

// Opening for writing a key that is not there is "not found" before it is "access denied", as on Windows.
Result<std::unique_ptr<IRegistryKey>> SimRegistry::openKey(RootKey root, std::string_view path, KeyAccess access) {
    const Op op = access == KeyAccess::Create ? Op::Create : Op::Open;
    uint32_t code = 0;
    if (injectedFailure(op, code)) return refused(op, code);
    if (!isValidUtf8(path)) return Status::failure(errc::kInvalidData, "MultiByteToWideChar");
    const bool writable = access != KeyAccess::Read;
    if (access != KeyAccess::Create && !find(root, path)) return refused(op, errc::kFileNotFound);
    if (writable && deniedWrite(root)) return refused(op, errc::kAccessDenied);
    return std::unique_ptr<IRegistryKey>(std::make_unique<OpenKey>(*this, create(root, path), writable));
}

bool SimRegistry::keyExists(RootKey root, std::string_view path) const {
    return find(root, path) != nullptr;
}

std::vector<std::string> SimRegistry::valueNames(RootKey root, std::string_view path) const {
    std::vector<std::string> names;
    if (const std::shared_ptr<Key> key = find(root, path)) {
        for (const auto& [folded, value] : key->values) names.push_back(value.name);
    }
    return names;
}

std::vector<std::string> SimRegistry::subKeyNames(RootKey root, std::string_view path) const {
    std::vector<std::string> names;
    if (const std::shared_ptr<Key> key = find(root, path)) {
        for (const auto& [folded, child] : key->children) names.push_back(child.name);
    }
    return names;
}

}  // namespace sim
