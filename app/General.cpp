#include "app/General.h"

#include <cstdlib>

#include "common/SystemTray.h"

void ShutdownProgram(Platform& platform, const ShutdownArgs& args) {
    // Whatever fails on the way, the process ends all the same.
    try {
        for (ui::Form* dialog : args.dialogs) {
            if (dialog && dialog->isVisible()) dialog->hide();
        }
        // Removed here because no window handler runs after the process ends: a dead icon would stay behind.
        DeleteTrayIcon(platform.shell, args.trayOwner);
    } catch (const std::exception&) {
    }
    platform.process.exitProcess(0);
    std::abort();  // not reached: exitProcess never returns
}
