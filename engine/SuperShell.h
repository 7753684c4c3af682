#pragma once

// The one way any part of the program opens the password dialog; the lock record says why.
class PasswordDialogLauncher {
public:
    virtual ~PasswordDialogLauncher() = default;
    virtual void showPasswordDialog() = 0;
};
