#pragma once
#include <functional>
#include <memory>
#include <string>

#include "common/LockRequest.h"
#include "common/ProgramState.h"
#include "password/DecoyWindow.h"
#include "platform/Platform.h"

class MessageDialog;

// What the dialog reaches outside itself; the host fills it.
struct PasswordDialogHooks {
    MessageDialog* messageDialog = nullptr;
    std::function<bool()> isDefaultPassword;
    // A new access password was stored in this form; whether it is the default is known without a derivation.
    std::function<void(const std::string& stored, bool isDefault)> passwordStored;
    // Called last, from the dialog's own handler, with the answer to its request: the host acts on it, and may
    // destroy the dialog only after the handler returns.
    std::function<void(LockAnswer answer)> answered;
};

// The window `frmPassword` "Restrictions": asks for the access password for one lock request.
class PasswordDialog final {
public:
    PasswordDialog(Platform& platform, ProgramState& state, LockRequest request, PasswordDialogHooks hooks);
    ~PasswordDialog();
    PasswordDialog(const PasswordDialog&) = delete;
    PasswordDialog& operator=(const PasswordDialog&) = delete;

    void open();  // the opening steps, then shown modeless
    // Closed without an answer: its request was withdrawn or waits behind another.
    void close();
    // True from the moment the dialog has decided to close until it has closed (Cancel wait, closing messages).
    bool isFinishing() const { return m_finishing; }
    ui::Form& form() { return *m_form; }
    DecoyWindow& decoy() { return m_decoy; }

private:
    void create();
    void onActivate();
    void onResize();
    void keepInFront();
    void cmdOKClick();
    void okHandler();
    void cmdCancelPWDClick();
    void checkPassword();
    void unlockInstaller();
    void refuse();
    void setPasswordStep();
    void storeNewPassword(const std::string& password);
    void showBox(const std::string& text, bool refusal);
    void cancelWait();
    void waitForCodeDelay();
    void ShowDesktop();
    void rememberBox();
    void finish(LockAnswer answer);

    Platform& m_platform;
    ProgramState& m_state;
    const LockRequest m_request;
    PasswordDialogHooks m_hooks;
    DecoyWindow m_decoy;
    std::unique_ptr<ui::Form> m_form;
    std::string m_firstEntry;  // mode "pwd": the new password typed once, "" until then
    bool m_finishing = false;
    bool m_withdrawn = false;  // closed by the host without an answer

    ui::Label* lblTask = nullptr;
    ui::Label* lblPassword = nullptr;
    ui::TextBox* txtPass = nullptr;
    ui::Label* lblDefaultPass = nullptr;
    ui::CheckBox* chkKeep = nullptr;
    ui::Button* cmdOK = nullptr;
    ui::Button* cmdCancelPWD = nullptr;
    ui::Timer* tmrCodeDelay = nullptr;
    ui::Timer* tmrFront = nullptr;
};
