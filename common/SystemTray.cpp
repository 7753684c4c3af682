#include "common/SystemTray.h"

std::string trayTip(bool adminExemption) {
    return std::string("Obelon Pro") + " - " + (adminExemption ? "Administrator" : "Standard User");
}

void UpdateTrayIcon(IShell& shell, WindowId owner, bool adminExemption, bool noTrayIcon) {
    // Tray failures change nothing the user relies on, so their results are not checked.
    (void)shell.trayDelete(owner, kTrayIconId);
    if (noTrayIcon) return;
    (void)shell.trayAdd({.owner = owner,
                         .id = kTrayIconId,
                         .tip = trayTip(adminExemption),
                         .image = adminExemption ? TrayImage::Administrator : TrayImage::Standard});
}

void DeleteTrayIcon(IShell& shell, WindowId owner) { (void)shell.trayDelete(owner, kTrayIconId); }
