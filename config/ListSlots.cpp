#include "config/ListSlots.h"

#include "common/ConfigSchema.h"

namespace config {

std::vector<std::string> readListSlots(HeldKey& key) {
    std::vector<std::string> slots(kListSlots);
    const auto stored = key.textValues();
    if (!stored) {
        for (int slot = 0; slot < kListSlots; ++slot) slots[static_cast<size_t>(slot)] = key.GetStringValue(slotName(slot));
        return slots;
    }
    for (const auto& [name, text] : *stored) {
        if (const auto slot = slotNumber(name)) slots[static_cast<size_t>(*slot)] = text;
    }
    return slots;
}

std::vector<std::string> filledSlotNames(HeldKey& key) {
    std::vector<std::string> names;
    const auto stored = key.textValues();
    if (!stored) {
        for (int slot = 0; slot < kListSlots; ++slot) names.push_back(slotName(slot));
        return names;
    }
    for (const auto& [name, text] : *stored) {
        if (slotNumber(name)) names.push_back(name);
    }
    return names;
}

}  // namespace config
