#pragma once
#include <vector>

#include "platform/Platform.h"

void RemoveCloseCommand(IDesktop& desktop, WindowId window);
void SetTopmost(IDesktop& desktop, WindowId window, bool on);

struct OpenDialogs;

struct ShutdownArgs {
    std::vector<ui::Form*> dialogs;  // closed in this order when shown; null entries are skipped
    WindowId trayOwner;
};
// The windows of the dialogs, in the order the shutdown closes them; a dialog that is not open gives none.
std::vector<ui::Form*> dialogsToClose(const OpenDialogs& dialogs);
// Closes the open dialogs, removes the tray icon and ends the process; never returns.
[[noreturn]] void ShutdownProgram(Platform& platform, const ShutdownArgs& args);
