#pragma once
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "common/LockRequest.h"
#include "common/ProgramState.h"
#include "common/SuperShell.h"
#include "platform/Platform.h"

class MessageDialog;
class PasswordDialog;

// The password-dialog launcher: keeps the requests in turn and owns the one `frmPassword`, made for the request
// it answers and dropped when that is answered.
class PasswordDialogHost final : public PasswordDialogLauncher {
public:
    PasswordDialogHost(Platform& platform, ProgramState& state, MessageDialog& messageDialog);
    ~PasswordDialogHost() override;
    PasswordDialogHost(const PasswordDialogHost&) = delete;
    PasswordDialogHost& operator=(const PasswordDialogHost&) = delete;

    // Who acts on the answers; called once the configuration window exists.
    void attach(LockOwner& owner);

    void raiseLock(LockRequest request) override;
    bool isWaiting(WindowId window) const override;
    bool isWaiting(LockMode mode) const override;
    void withdrawLocks(WindowId window) override;

    const LockRequest* answering() const { return m_answering ? &*m_answering : nullptr; }
    const std::deque<LockRequest>& waiting() const { return m_waiting; }
    ui::Form* form();  // the open dialog's window, for the shutdown; null when none

private:
    static int rank(const LockRequest& request);
    bool isDuplicate(const LockRequest& request) const;
    void openFor(const LockRequest& request);
    void answered(LockAnswer answer);
    void openNext();
    bool isDefaultPassword();

    Platform& m_platform;
    ProgramState& m_state;
    MessageDialog& m_messageDialog;
    LockOwner* m_owner = nullptr;
    std::optional<LockRequest> m_answering;
    std::deque<LockRequest> m_waiting;
    std::unique_ptr<PasswordDialog> m_dialog;
    // A dialog that closed from its own handler is kept until that handler has returned.
    std::unique_ptr<PasswordDialog> m_finished;
    // Whether the access password in this stored form is the default: a hash needs a full key derivation.
    std::optional<std::pair<std::string, bool>> m_defaultAnswer;
};
