#include "password/PasswordDialog.h"

#include "common/WindowHelpers.h"
#include "dialogs/MessageDialog.h"
#include "common/AccessPassword.h"

namespace {

constexpr const char* kAccessDenied = "Access Denied";
constexpr const char* kDefaultPrompt = "Enter a password to continue, or, contact your network administrator.";
constexpr const char* kDefaultHint = "The default password is BLUEJAY.";
constexpr const char* kInvalid = "Password is Invalid.";
constexpr const char* kInstallsPermitted =
    "All Software Installations are permitted until you Log-Off or Restart Windows.";
constexpr int kMaxPasswordLength = 16;

// The modes whose right password the dialog checks; "pwd", "cancel" and any other mode check none.
bool isCheckedMode(const std::string& mode) {
    for (const char* checked : {"app", "cfg", "reg", "ie", "ff", "ex", "tm", "ins", "un"}) {
        if (mode == checked) return true;
    }
    return false;
}

// ASCII letters only, as the stored password is lower-cased, so UTF-8 text stays intact.
std::string asciiLower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

bool lockReplacedSince(const LockRecord& before, const LockRecord& now) {
    return now.mode != before.mode || now.window != before.window || now.label != before.label;
}

}  // namespace

PasswordDialog::PasswordDialog(Platform& platform, ProgramState& state, PasswordDialogHooks hooks)
    : m_platform(platform), m_state(state), m_hooks(std::move(hooks)), m_decoy(platform.ui) {
    create();
}

PasswordDialog::~PasswordDialog() = default;

void PasswordDialog::create() {
    m_form = m_platform.ui.createForm({.name = "frmPassword", .caption = "Restrictions", .width = 360, .height = 166});
    ui::Form& f = *m_form;
    lblTask = &f.addLabel({.name = "lblTask", .caption = kAccessDenied, .rect = {12, 12, 336, 20}});
    lblPassword = &f.addLabel({.name = "Label1", .caption = "Password:", .rect = {12, 40, 336, 18}});
    txtPass = &f.addTextBox({.name = "txtPass", .caption = "", .rect = {12, 60, 336, 24}},
                            {.passwordChar = '*', .maxLength = kMaxPasswordLength});
    lblDefaultPass = &f.addLabel({.name = "lblDefaultPass", .caption = kDefaultPrompt, .rect = {12, 90, 336, 32}});
    chkKeep = &f.addCheckBox({.name = "chkKeep", .caption = "Keep Password", .rect = {12, 130, 150, 20}});
    cmdOK = &f.addButton({.name = "cmdOK", .caption = "&OK", .rect = {180, 126, 80, 28}});
    cmdCancelPWD = &f.addButton({.name = "cmdCancelPWD", .caption = "Cance&l", .rect = {268, 126, 80, 28}});
    tmrCodeDelay = &f.addTimer("tmrCodeDelay", 500, false);
    f.setDefaultButton(*cmdOK);
    f.setCancelButton(*cmdCancelPWD);
    cmdOK->onClick([this] { cmdOKClick(); });
    cmdCancelPWD->onClick([this] { cmdCancelPWDClick(); });
    tmrCodeDelay->onTick([this] { tmrCodeDelay->setEnabled(false); });
    f.onActivate([this] { onActivate(); });
    // Only the password or Cancel ends a lock: a close request from outside changes nothing.
    f.onCloseRequest([] {});
}

// Once per dialog, before it appears. The set-password dialog is an ordinary window: no hint, no kept password.
void PasswordDialog::open() {
    ShowDesktop();
    if (m_state.lock.mode == "pwd") {
        lblDefaultPass->setText("Enter new password:");
        chkKeep->setVisible(false);
    } else {
        if (m_hooks.isDefaultPassword && m_hooks.isDefaultPassword()) lblDefaultPass->setText(kDefaultHint);
        if (!m_state.rememberedPassword.empty()) {
            chkKeep->setChecked(true);
            txtPass->setText(m_state.rememberedPassword);
        }
        SetTopmost(m_platform.desktop, m_form->id(), true);
    }
    m_form->show();
}

// Shown for a new lock while it is already the active window, it gets no activation to follow the record.
void PasswordDialog::show() {
    followLockRecord();
    m_form->show();
}

void PasswordDialog::disableCancel() {
    cmdCancelPWD->setEnabled(false);
}

void PasswordDialog::maximize() {
    m_form->setWindowState(ui::WindowState::Maximized);
}

// The label follows the lock record, which a later lock may have rewritten while the dialog was open.
void PasswordDialog::onActivate() {
    RemoveCloseCommand(m_platform.desktop, m_form->id());
    followLockRecord();
}

void PasswordDialog::followLockRecord() {
    lblTask->setText(m_state.lock.label);
    if (m_state.lock.mode == "pwd") lblPassword->setText("New Access Control Password:");
}

void PasswordDialog::rememberBox() {
    txtPass->setText(asciiLower(txtPass->text()));
    m_state.rememberedPassword = chkKeep->isChecked() ? txtPass->text() : "";
}

void PasswordDialog::cmdOKClick() {
    // Once the dialog is closing (the Cancel wait, a closing message) a second answer would act on a lock
    // that is already being ended.
    if (m_finishing) return;
    okHandler();
}

void PasswordDialog::okHandler() {
    rememberBox();
    const std::string mode = m_state.lock.mode;
    if (mode == "pwd") return setPasswordStep();
    if (mode == "cancel") {
        if (m_state.lock.window) (void)m_platform.desktop.postClose(m_state.lock.window);
        return complete();
    }
    if (!isCheckedMode(mode)) {
        m_form->hide();
        return complete();
    }
    checkPassword(mode);
}

void PasswordDialog::checkPassword(const std::string& mode) {
    // The Start button that the start-menu option hides comes back for an installer, right password or wrong.
    if (mode == "ins") {
        const WindowId startButton = m_platform.desktop.findWindow("Button", std::nullopt);
        if (startButton) (void)m_platform.desktop.showWindowAsync(startButton, ShowCommand::Show);
    }
    if (!accessPasswordMatches(m_platform.crypto, m_state.accessPassword, txtPass->text())) return refuse();
    unlock(mode);
}

// No attempt counter and no delay: the text stays in the box for another try.
void PasswordDialog::refuse() {
    m_state.rememberedPassword.clear();
    lblDefaultPass->setText(kInvalid);
}

void PasswordDialog::unlock(const std::string& mode) {
    if (mode == "app") {
        unlockTaskWindow();
    } else if (mode == "cfg") {
        m_state.configUnlocked = true;
        if (m_hooks.configWindow) m_hooks.configWindow->show();
    } else if (mode == "ins") {
        return unlockInstaller();
    } else if (mode == "un") {
        m_state.uninstallPermitted = true;
    } else {
        unlockProtection(mode);
    }
    complete();
}

// Its class goes on the allow list so that the watch leaves the window alone until every window of the class
// has closed. The start-up and session locks name no window, so they have no class to allow.
void PasswordDialog::unlockTaskWindow() {
    LockRecord& lock = m_state.lock;
    if (m_hooks.allowList && !lock.windowClass.empty()) m_hooks.allowList->addItem(lock.windowClass);
    if (lock.window) {
        IDesktop& desktop = m_platform.desktop;
        (void)desktop.setWindowText(lock.window, lock.label);
        (void)desktop.showWindowAsync(lock.window, ShowCommand::Show);
        (void)desktop.showWindowAsync(lock.window, ShowCommand::Restore);
    }
    lock.window = {};
    m_form->hide();
}

// Off until the configuration is next loaded or applied; Internet Explorer stays unlocked while one is open.
void PasswordDialog::unlockProtection(const std::string& mode) {
    ProtectionSwitches& switches = m_state.protections;
    if (mode == "reg") switches.reg = false;
    if (mode == "ie") switches.ie = 2;
    if (mode == "ff") switches.ff = false;
    if (mode == "ex") switches.ex = false;
    if (mode == "tm") switches.tm = false;
    if (m_state.lock.window) (void)m_platform.desktop.showWindowAsync(m_state.lock.window, ShowCommand::Restore);
    m_form->hide();
}

// The installer was minimized, not hidden, and stays open: nothing is posted to it.
void PasswordDialog::unlockInstaller() {
    m_state.protections.ins = false;
    const WindowId installer = m_state.lock.window;
    if (installer) {
        (void)m_platform.desktop.showWindowAsync(installer, ShowCommand::Show);
        (void)m_platform.desktop.showWindowAsync(installer, ShowCommand::Restore);
    }
    m_state.messageText = kInstallsPermitted;
    if (m_hooks.messageDialog) m_hooks.messageDialog->show();
    const LockRecord unlocked = m_state.lock;
    cmdCancelPWD->setEnabled(true);
    cancelWait();
    finish(unlocked);
}

void PasswordDialog::cmdCancelPWDClick() {
    if (m_finishing) return;
    const LockRecord pressedFor = m_state.lock;
    cancelWait();
    // A lock raised during the wait rewrote the record: close the window Cancel was pressed for, and leave the
    // new lock to a dialog of its own.
    if (lockReplacedSince(pressedFor, m_state.lock)) {
        if (pressedFor.window) {
            (void)m_platform.desktop.postClose(pressedFor.window);
            (void)m_platform.desktop.postClose(pressedFor.window);
        }
        rememberBox();
        return finish(pressedFor);
    }
    if (m_state.lock.window) (void)m_platform.desktop.postClose(m_state.lock.window);
    m_state.lock.mode = "cancel";
    okHandler();
}

// The desktop comes back, and the pause lets the toggle settle before the window is told to close.
void PasswordDialog::cancelWait() {
    m_finishing = true;
    ShowDesktop();
    cmdCancelPWD->setText("Wait...");
    cmdCancelPWD->setEnabled(false);
    waitForCodeDelay();
    m_form->hide();
    cmdCancelPWD->setEnabled(true);
}

// Other handlers and timers (the watch above all) run meanwhile.
void PasswordDialog::waitForCodeDelay() {
    tmrCodeDelay->setEnabled(true);
    while (tmrCodeDelay->isEnabled() && m_platform.ui.waitForEvent()) {
    }
}

// The shell command file beside the program toggles the desktop; a missing file or a refusal goes unnoticed.
void PasswordDialog::ShowDesktop() {
    const std::string& mode = m_state.lock.mode;
    if (mode != "reg" && mode != "ins") return;
    m_decoy.show();
    (void)m_platform.shell.shellExecute({.owner = m_form->id(),
                                         .verb = "Open",
                                         .file = "\"" + m_state.programFolder + "dexlin.scf\"",
                                         .parameters = "",
                                         .directory = "",
                                         .show = ShowCommand::ShowNormal});
}

void PasswordDialog::complete() {
    finish(m_state.lock);
}

// The lock is over: the record names no window any more, so a later lock that names none of its own (start-up,
// session expiry) unlocks nothing of this one. A lock raised meanwhile is left in the record for the host.
void PasswordDialog::finish(const LockRecord& finishingFor) {
    const bool replaced = lockReplacedSince(finishingFor, m_state.lock);
    if (!chkKeep->isChecked()) txtPass->setText("");
    if (!replaced) {
        m_state.lock.mode.clear();
        m_state.lock.window = {};
        m_state.lock.windowClass.clear();
    }
    m_decoy.close();
    m_form->hide();
    m_finishing = true;
    if (m_hooks.finished) m_hooks.finished(replaced);
}
