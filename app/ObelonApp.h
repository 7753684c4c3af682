#pragma once
#include "app/ConfigWindow.h"
#include "dialogs/MessageDialog.h"
#include "engine/ProgramState.h"
#include "engine/SuperShell.h"

// The main program: its shared state and its windows, wired to one platform.
class ObelonApp final : public PasswordDialogLauncher {
public:
    explicit ObelonApp(Platform& platform);
    void start();
    void showPasswordDialog() override;
    bool isPasswordDialogVisible() const override { return false; }
    void disablePasswordCancel() override {}
    void maximizePasswordDialog() override {}
    ProgramState& state() { return m_state; }
    ConfigWindow& configWindow() { return m_config; }
    MessageDialog& messageDialog() { return m_message; }

private:
    ProgramState m_state;
    MessageDialog m_message;
    ConfigWindow m_config;
};
