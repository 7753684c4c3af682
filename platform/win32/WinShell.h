#pragma once
#include <windows.h>

#include <vector>

#include "platform/IShell.h"

// The message a form receives for mouse events over its tray icon; lParam's low word is the mouse message.
constexpr UINT kTrayCallbackMessage = WM_APP + 1;

// Programs, message boxes and the notification-area icons of this program's forms.
class WinShell final : public IShell {
public:
    intptr_t shellExecute(const ShellExecuteArgs& args) override;
    MessageBoxAnswer messageBox(const MessageBoxArgs& args) override;
    bool trayAdd(const TrayIconArgs& args) override;
    bool trayDelete(WindowId owner, uint32_t id) override;
    // Adds the owner's icons again after the taskbar was re-created.
    void readdTrayIcons(WindowId owner);

private:
    void forgetTrayIcon(WindowId owner, uint32_t id);
    std::vector<TrayIconArgs> m_trayIcons;
};
