#include "app/General.h"

#include <cstdlib>

#include "app/ConfigWindow.h"
#include "app/SystemTray.h"
#include "dialogs/MessageDialog.h"
#include "password/PasswordDialogHost.h"

void RemoveCloseCommand(IDesktop& desktop, WindowId window) { (void)desktop.removeSystemMenuCommand(window, kScClose); }

void SetTopmost(IDesktop& desktop, WindowId window, bool on) { (void)desktop.setTopmost(window, on); }

std::vector<ui::Form*> dialogsToClose(const OpenDialogs& dialogs) {
    std::vector<ui::Form*> forms;
    if (dialogs.frmPassword && dialogs.frmPassword->form()) forms.push_back(dialogs.frmPassword->form());
    if (dialogs.frmError && dialogs.frmError->form()) forms.push_back(dialogs.frmError->form());
    return forms;
}

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
