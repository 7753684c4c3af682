#pragma once
#include "app/ConfigWindow.h"
#include "dialogs/MessageDialog.h"
#include "engine/ProgramState.h"
#include "engine/SuperShell.h"
#include "password/PasswordDialogHost.h"

// The main program: its shared state and its windows, wired to one platform.
class ObelonApp final : public PasswordDialogLauncher {
public:
    explicit ObelonApp(Platform& platform);
    void start();
    void showPasswordDialog() override { m_passwords.showPasswordDialog(); }
    bool isPasswordDialogVisible() const override { return m_passwords.isPasswordDialogVisible(); }
    void disablePasswordCancel() override { m_passwords.disablePasswordCancel(); }
    void maximizePasswordDialog() override { m_passwords.maximizePasswordDialog(); }
    ProgramState& state() { return m_state; }
    ConfigWindow& configWindow() { return m_config; }
    MessageDialog& messageDialog() { return m_message; }
    PasswordDialogHost& passwordDialogs() { return m_passwords; }

private:
    ProgramState m_state;
    MessageDialog m_message;
    PasswordDialogHost m_passwords;
    ConfigWindow m_config;
};
