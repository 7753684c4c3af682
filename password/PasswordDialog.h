#pragma once
#include <functional>
#include <memory>
#include <string>

#include "common/ProgramState.h"
#include "password/DecoyWindow.h"
#include "platform/Platform.h"

class MessageDialog;

// What the dialog reaches outside itself; the host fills it.
struct PasswordDialogHooks {
    ui::Form* configWindow = nullptr;  // shown after the configuration password
    ui::ListBox* allowList = nullptr;  // takes the class of an unlocked task window
    MessageDialog* messageDialog = nullptr;
    std::function<bool()> isDefaultPassword;
    // A new access password was stored in this form; whether it is the default is known without a derivation.
    std::function<void(const std::string& stored, bool isDefault)> passwordStored;
    // Called last, from the dialog's own handler: the host may destroy the dialog only after it returns.
    // lockReplaced: another lock was raised while the dialog was finishing, and it still waits for a dialog.
    std::function<void(bool lockReplaced)> finished;
};

// The window `frmPassword` "Restrictions": asks for the access password for the lock the lock record names.
class PasswordDialog final {
public:
    PasswordDialog(Platform& platform, ProgramState& state, PasswordDialogHooks hooks);
    ~PasswordDialog();
    PasswordDialog(const PasswordDialog&) = delete;
    PasswordDialog& operator=(const PasswordDialog&) = delete;

    void open();  // the opening steps, then shown modeless
    void show();
    void disableCancel();
    void maximize();
    // True from the moment the dialog has decided to close until it has closed (Cancel wait, closing messages).
    bool isFinishing() const { return m_finishing; }
    ui::Form& form() { return *m_form; }
    DecoyWindow& decoy() { return m_decoy; }

private:
    void create();
    void onActivate();
    void followLockRecord();
    void cmdOKClick();
    void okHandler();
    void cmdCancelPWDClick();
    void checkPassword(const std::string& mode);
    void unlock(const std::string& mode);
    void unlockTaskWindow();
    void unlockProtection(const std::string& mode);
    void unlockInstaller();
    void refuse();
    void setPasswordStep();
    void storeNewPassword(const std::string& password);
    void showBox(const std::string& text, bool refusal);
    void cancelWait();
    void waitForCodeDelay();
    void ShowDesktop();
    void rememberBox();
    void complete();
    void finish(const LockRecord& finishingFor);

    Platform& m_platform;
    ProgramState& m_state;
    PasswordDialogHooks m_hooks;
    DecoyWindow m_decoy;
    std::unique_ptr<ui::Form> m_form;
    std::string m_firstEntry;  // mode "pwd": the new password typed once, "" until then
    bool m_finishing = false;

    ui::Label* lblTask = nullptr;
    ui::Label* lblPassword = nullptr;
    ui::TextBox* txtPass = nullptr;
    ui::Label* lblDefaultPass = nullptr;
    ui::CheckBox* chkKeep = nullptr;
    ui::Button* cmdOK = nullptr;
    ui::Button* cmdCancelPWD = nullptr;
    ui::Timer* tmrCodeDelay = nullptr;
};
