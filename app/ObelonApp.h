#pragma once
#include "app/ConfigWindow.h"
#include "dialogs/MessageDialog.h"
#include "common/ProgramState.h"
#include "password/PasswordDialogHost.h"

// The main program: its shared state and its windows, wired to one platform.
class ObelonApp final {
public:
    explicit ObelonApp(Platform& platform);
    void start();
    ProgramState& state() { return m_state; }
    ConfigWindow& configWindow() { return m_config; }
    MessageDialog& messageDialog() { return m_message; }
    PasswordDialogHost& passwords() { return m_passwords; }

private:
    ProgramState m_state;
    MessageDialog m_message;
    PasswordDialogHost m_passwords;
    ConfigWindow m_config;
};
