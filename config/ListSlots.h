#pragma once
#include <string>
#include <vector>

#include "registry/RegistryEdit.h"

// The slots "Task0" to "Task999" of a list key (the locked tasks, the ignore list), read in one pass over the
// values the key holds. Under Wine each registry call is a round trip to the server, and a list of 29 tasks
// would otherwise pay for 1000 reads or deletes at every load and Apply.
namespace config {

// The text of every slot in order, "" where it holds none; where the key cannot be listed, read slot by slot.
std::vector<std::string> readListSlots(HeldKey& key);
// The names, as stored, of the slots that hold a value; every slot's name where the key cannot be listed.
std::vector<std::string> filledSlotNames(HeldKey& key);

}  // namespace config
