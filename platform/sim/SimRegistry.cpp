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
struct SimRegistry::Key {
    struct Child {
        std::string name;
        std::unique_ptr<Key> key;
    };
    struct Value {
        std::string name;
        RegistryValue value;
    };
    std::map<std::string, Child> children;
    std::map<std::string, Value> values;
};

SimRegistry::SimRegistry() : m_currentUser(std::make_unique<Key>()), m_localMachine(std::make_unique<Key>()) {}

SimRegistry::~SimRegistry() = default;

SimRegistry::Key& SimRegistry::rootKey(RootKey root) const {
    return root == RootKey::LocalMachine ? *m_localMachine : *m_currentUser;
}

const SimRegistry::Key* SimRegistry::find(RootKey root, std::string_view path) const {
    const Key* key = &rootKey(root);
    for (std::string_view part : components(path)) {
        auto child = key->children.find(foldCase(part));
        if (child == key->children.end()) return nullptr;
        key = child->second.key.get();
    }
    return key;
}

SimRegistry::Key* SimRegistry::find(RootKey root, std::string_view path) {
    return const_cast<Key*>(static_cast<const SimRegistry*>(this)->find(root, path));
}

SimRegistry::Key& SimRegistry::create(RootKey root, std::string_view path) {
    Key* key = &rootKey(root);
    for (std::string_view part : components(path)) {
        Key::Child& child = key->children[foldCase(part)];
        if (!child.key) child = {std::string(part), std::make_unique<Key>()};
        key = child.key.get();
    }
    return *key;
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
    const Key* key = find(root, path);
    if (!key) return Status::failure(errc::kFileNotFound, "RegOpenKeyExW");
    auto value = key->values.find(foldCase(name));
    if (value == key->values.end()) return refused(Op::Query, errc::kFileNotFound);
    return value->second.value;
}

// A value keeps the spelling of its name from when it was first stored. Text that is not UTF-8 has no UTF-16 form
// for the registry to hold, so it is refused as the Win32 backend's conversion refuses it.
Status SimRegistry::setValue(RootKey root, std::string_view path, std::string_view name, const RegistryValue& value) {
    uint32_t code = 0;
    if (injectedFailure(Op::Set, code)) return refused(Op::Set, code);
    const bool text = value.type == regtype::kSz || value.type == regtype::kExpandSz || value.type == regtype::kMultiSz;
    if (!isValidUtf8(path) || !isValidUtf8(name) || (text && !isValidUtf8(value.data))) {
        return Status::failure(errc::kInvalidData, "MultiByteToWideChar");
    }
    if (deniedWrite(root)) return Status::failure(errc::kAccessDenied, "RegCreateKeyExW");
    Key::Value& stored = create(root, path).values[foldCase(name)];
    if (stored.name.empty()) stored.name = std::string(name);
    stored.value = value;
    return Status::success();
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
    Key* parent = find(root, parentPath);
    if (!parent) return refused(Op::DeleteKey, errc::kFileNotFound);
    auto child = parent->children.find(foldCase(parts.back()));
    if (child == parent->children.end()) return refused(Op::DeleteKey, errc::kFileNotFound);
    if (!child->second.key->children.empty()) return refused(Op::DeleteKey, errc::kAccessDenied);
    parent->children.erase(child);
    return Status::success();
}

Status SimRegistry::deleteValue(RootKey root, std::string_view path, std::string_view name) {
    uint32_t code = 0;
    if (injectedFailure(Op::DeleteValue, code)) return refused(Op::DeleteValue, code);
    if (deniedWrite(root)) return refused(Op::DeleteValue, errc::kAccessDenied);
    Key* key = find(root, path);
    if (!key) return Status::failure(errc::kFileNotFound, "RegOpenKeyExW");
    if (key->values.erase(foldCase(name)) == 0) return refused(Op::DeleteValue, errc::kFileNotFound);
    return Status::success();
}

bool SimRegistry::keyExists(RootKey root, std::string_view path) const {
    return find(root, path) != nullptr;
}

std::vector<std::string> SimRegistry::valueNames(RootKey root, std::string_view path) const {
    std::vector<std::string> names;
    if (const Key* key = find(root, path)) {
        for (const auto& [folded, value] : key->values) names.push_back(value.name);
    }
    return names;
}

std::vector<std::string> SimRegistry::subKeyNames(RootKey root, std::string_view path) const {
    std::vector<std::string> names;
    if (const Key* key = find(root, path)) {
        for (const auto& [folded, child] : key->children) names.push_back(child.name);
    }
    return names;
}

}  // namespace sim
