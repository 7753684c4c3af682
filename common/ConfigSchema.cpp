#include "common/ConfigSchema.h"

#include <cctype>

namespace config {

std::string slotName(int slot) { return kSlotPrefix + std::to_string(slot); }

std::string accountKey(std::string_view userSid) { return std::string(kAccountsKey) + "\\" + std::string(userSid); }

// Only the names slotName makes: the prefix, then the number in decimal without leading zeros.
std::optional<int> slotNumber(std::string_view name) {
    const std::string_view prefix = kSlotPrefix;
    if (name.size() <= prefix.size() || name.size() > prefix.size() + 3) return std::nullopt;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(name[i])) != std::tolower(static_cast<unsigned char>(prefix[i]))) {
            return std::nullopt;
        }
    }
    const std::string_view digits = name.substr(prefix.size());
    if (digits.size() > 1 && digits.front() == '0') return std::nullopt;
    int slot = 0;
    for (const char digit : digits) {
        if (digit < '0' || digit > '9') return std::nullopt;
        slot = slot * 10 + (digit - '0');
    }
    return slot < kListSlots ? std::optional<int>(slot) : std::nullopt;
}

// An empty text is part of every title, so a checked task without text would lock every window: it is no task.
bool parseStoredTask(std::string_view stored, StoredTask& task) {
    if (stored.size() <= 2) return false;
    task.text = std::string(stored.substr(0, stored.size() - 2));
    task.checked = stored.back() == '1';
    return true;
}

std::string formatStoredTask(const StoredTask& task) { return task.text + (task.checked ? ",1" : ",0"); }

}  // namespace config
