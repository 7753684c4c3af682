#pragma once
#include <string>

#include "platform/Platform.h"
#include "registry/RegFile.h"

// What Apply stores, as edits of the registry in the order Apply makes them, for a save with administrator
// rights: the window's settings and lists, the account's daily limit, and the hash of a password an older
// installation left in plain text.
RegEdits editsOfApply(Platform& platform, ui::Form& configWindow, const std::string& accountKey);
