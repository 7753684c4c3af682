#pragma once
#include "common/SuperShell.h"

// The benchmarks measure the watch, not the password dialog: a launcher that raises nothing and has no one
// waiting.
class NoDialog final : public PasswordDialogLauncher {
public:
    void raiseLock(LockRequest) override {}
    bool isWaiting(WindowId) const override { return false; }
    bool isWaiting(LockMode) const override { return false; }
    void withdrawLocks(WindowId) override {}
};
