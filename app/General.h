#pragma once
#include <vector>

#include "platform/Platform.h"

struct ShutdownArgs {
    std::vector<ui::Form*> dialogs;  // closed in this order when shown; null entries are skipped
    WindowId trayOwner;
};
// Closes the open dialogs, removes the tray icon and ends the process; never returns.
[[noreturn]] void ShutdownProgram(Platform& platform, const ShutdownArgs& args);
