#pragma once
#include <memory>
#include <optional>
#include <string>

#include "common/ProgramState.h"
#include "common/SuperShell.h"
#include "platform/Platform.h"

class MessageDialog;
class PasswordDialog;

// The password-dialog launcher: owns the one `frmPassword`, made when it is shown and dropped when it closes.
class PasswordDialogHost final : public PasswordDialogLauncher {
public:
    PasswordDialogHost(Platform& platform, ProgramState& state, MessageDialog& messageDialog);
    ~PasswordDialogHost() override;
    PasswordDialogHost(const PasswordDialogHost&) = delete;
    PasswordDialogHost& operator=(const PasswordDialogHost&) = delete;

    // What the configuration and task unlocks act on; called once the configuration window exists.
    void attach(ui::Form& configWindow, ui::ListBox& allowList);

    void showPasswordDialog() override;
    bool isPasswordDialogVisible() const override;
    void disablePasswordCancel() override;
    void maximizePasswordDialog() override;

    PasswordDialog* dialog() { return m_dialog.get(); }  // the open dialog, null when none
    ui::Form* form();                                    // its window, for the shutdown; null when none

private:
    void openNew();
    void finished(bool lockReplaced);
    bool isDefaultPassword();

    Platform& m_platform;
    ProgramState& m_state;
    MessageDialog& m_messageDialog;
    ui::Form* m_configWindow = nullptr;
    ui::ListBox* m_allowList = nullptr;
    std::unique_ptr<PasswordDialog> m_dialog;
    // A dialog that closed from its own handler is kept until that handler has returned.
    std::unique_ptr<PasswordDialog> m_finished;
    // Asked of a dialog that was closing; they apply to the dialog opened next for the lock raised meanwhile.
    bool m_pendingDisableCancel = false;
    bool m_pendingMaximize = false;
    // Whether the access password in this stored form is the default: a hash needs a full key derivation.
    std::optional<std::pair<std::string, bool>> m_defaultAnswer;
};
