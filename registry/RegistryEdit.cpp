#include "registry/RegistryEdit.h"

// Every Status below is dropped on purpose: callers treat "" and 0 as not set, and a write Windows
// refuses (a standard user under HKEY_LOCAL_MACHINE) is meant to be lost without a word.

void CreateKey(IRegistry& registry, RootKey root, std::string_view path) {
    (void)registry.createKey(root, path);
}

namespace {

// Text stored without its terminator is read whole; anything after an inner NUL is not part of it.
std::string textOf(const RegistryValue& stored) {
    if (stored.type != regtype::kSz) return {};
    return stored.data.substr(0, stored.data.find('\0'));
}

std::string textOf(const Result<RegistryValue>& stored) { return stored.ok() ? textOf(stored.value()) : std::string(); }

const Status& statusOf(const Status& status) { return status; }
template <class T>
const Status& statusOf(const Result<T>& result) { return result.status(); }

RegistryValue storedText(std::string_view text) {
    RegistryValue value{regtype::kSz, std::string(text)};
    value.data.push_back('\0');
    return value;
}

}  // namespace

std::string GetStringValue(IRegistry& registry, RootKey root, std::string_view path, std::string_view name) {
    return textOf(registry.queryValue(root, path, name));
}

void SetStringValue(IRegistry& registry, RootKey root, std::string_view path, std::string_view name,
                    std::string_view text) {
    (void)writeStringValue(registry, root, path, name, text);
}

Status writeStringValue(IRegistry& registry, RootKey root, std::string_view path, std::string_view name,
                        std::string_view text) {
    return registry.setValue(root, path, name, storedText(text));
}

int32_t GetDWordValue(IRegistry& registry, RootKey root, std::string_view path, std::string_view name) {
    Result<RegistryValue> stored = registry.queryValue(root, path, name);
    if (!stored.ok() || stored.value().type != regtype::kDWord || stored.value().data.size() != 4) return 0;
    const std::string& data = stored.value().data;
    uint32_t bits = 0;
    for (int i = 3; i >= 0; --i) bits = (bits << 8) | static_cast<unsigned char>(data[static_cast<size_t>(i)]);
    return static_cast<int32_t>(bits);
}

void SetDWordValue(IRegistry& registry, RootKey root, std::string_view path, std::string_view name, int32_t number) {
    (void)writeDWordValue(registry, root, path, name, number);
}

Status writeDWordValue(IRegistry& registry, RootKey root, std::string_view path, std::string_view name,
                       int32_t number) {
    const auto bits = static_cast<uint32_t>(number);
    RegistryValue value{regtype::kDWord, std::string(4, '\0')};
    for (size_t i = 0; i < 4; ++i) value.data[i] = static_cast<char>((bits >> (8 * i)) & 0xFFu);
    return registry.setValue(root, path, name, value);
}

void DeleteKey(IRegistry& registry, RootKey root, std::string_view path) {
    (void)registry.deleteKey(root, path);
}

void DeleteValue(IRegistry& registry, RootKey root, std::string_view path, std::string_view name) {
    (void)registry.deleteValue(root, path, name);
}

HeldKey::HeldKey(IRegistry& registry, RootKey root, std::string path)
    : m_registry(registry), m_root(root), m_path(std::move(path)) {}

// A key that could not be opened is not asked for again with the same access: for a list missing from the
// registry that would be one failing round trip per slot. A key opened with less access is opened again.
IRegistryKey* HeldKey::open(KeyAccess access, Status& failure) {
    if (m_key && m_access >= access) return m_key.get();
    if (!m_key && m_failedOpen && m_failedAccess == access) {
        failure = *m_failedOpen;
        return nullptr;
    }
    m_key.reset();
    Result<std::unique_ptr<IRegistryKey>> opened = m_registry.openKey(m_root, m_path, access);
    if (!opened.ok()) {
        m_failedOpen = opened.status();
        m_failedAccess = access;
        failure = opened.status();
        return nullptr;
    }
    m_failedOpen.reset();
    m_key = std::move(opened.value());
    m_access = access;
    return m_key.get();
}

// A key deleted while held (the ignore-list editor replaces its key, for one) is opened again once, so the call
// reaches the key now there, as an operation that opens its key each time would.
template <class Call>
auto HeldKey::onKey(KeyAccess access, Call call) -> decltype(call(std::declval<IRegistryKey&>())) {
    Status failure;
    IRegistryKey* key = open(access, failure);
    if (!key) return failure;
    auto result = call(*key);
    if (statusOf(result).code() != errc::kKeyDeleted) return result;
    m_key.reset();
    m_failedOpen.reset();
    key = open(access, failure);
    if (!key) return failure;
    return call(*key);
}

std::string HeldKey::GetStringValue(std::string_view name) {
    return textOf(onKey(KeyAccess::Read, [&](IRegistryKey& key) { return key.queryValue(name); }));
}

std::optional<std::vector<std::pair<std::string, std::string>>> HeldKey::textValues() {
    Result<std::vector<NamedValue>> listed =
        onKey(KeyAccess::Read, [](IRegistryKey& key) { return key.values(); });
    if (!listed.ok()) {
        if (listed.status().code() == errc::kFileNotFound) return std::vector<std::pair<std::string, std::string>>();
        return std::nullopt;
    }
    std::vector<std::pair<std::string, std::string>> texts;
    texts.reserve(listed.value().size());
    for (const NamedValue& stored : listed.value()) texts.emplace_back(stored.name, textOf(stored.value));
    return texts;
}

void HeldKey::DeleteValue(std::string_view name) {
    (void)onKey(KeyAccess::Write, [&](IRegistryKey& key) { return key.deleteValue(name); });
}

Status HeldKey::writeStringValue(std::string_view name, std::string_view text) {
    const RegistryValue value = storedText(text);
    return onKey(KeyAccess::Create, [&](IRegistryKey& key) { return key.setValue(name, value); });
}
