#pragma once
#include "common/LockRequest.h"

// The one way any part of the program asks for the password. Requests wait their turn and none replaces
// another: the dialog answers the first one, then opens for the next.
class PasswordDialogLauncher {
public:
    virtual ~PasswordDialogLauncher() = default;
    // A request for a task window that already has one waiting is dropped, and so is a second one of any other
    // mode. A request that covers the desktop goes before every other, then those with a window hidden behind
    // them; such a request also takes over the configuration prompt, which hides nothing.
    virtual void raiseLock(LockRequest request) = 0;
    // A request for this window is waiting or being answered.
    virtual bool isWaiting(WindowId window) const = 0;
    virtual bool isWaiting(LockMode mode) const = 0;
    // The window has gone: nothing is left to unlock, so its requests go too.
    virtual void withdrawLocks(WindowId window) = 0;
};
