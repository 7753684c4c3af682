#include "common/ConfigSchema.h"

namespace config {

std::string slotName(int slot) { return kSlotPrefix + std::to_string(slot); }

bool parseStoredTask(std::string_view stored, StoredTask& task) {
    if (stored.size() < 2) return false;
    task.text = std::string(stored.substr(0, stored.size() - 2));
    task.checked = stored.back() == '1';
    return true;
}

std::string formatStoredTask(const StoredTask& task) { return task.text + (task.checked ? ",1" : ",0"); }

}  // namespace config
