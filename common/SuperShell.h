#pragma once

// The one way any part of the program opens the password dialog; the lock record says why.
class PasswordDialogLauncher {
public:
    virtual ~PasswordDialogLauncher() = default;
    // Modeless; created when needed; showing it while it is shown opens no second dialog.
    virtual void showPasswordDialog() = 0;
    virtual bool isPasswordDialogVisible() const = 0;
    // Callers change the open dialog right after showing it: locks that only the password may end
    // disable its Cancel, installer locks maximize it. Nothing happens when no dialog is open.
    virtual void disablePasswordCancel() = 0;
    virtual void maximizePasswordDialog() = 0;
};
