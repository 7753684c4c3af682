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

// ASCII letters only, as the stored password is lower-cased, so UTF-8 text stays intact.
std::string asciiLower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

}  // namespace

PasswordDialog::PasswordDialog(Platform& platform, ProgramState& state, LockRequest request,
                               PasswordDialogHooks hooks)
    : m_platform(platform),
      m_state(state),
      m_request(std::move(request)),
      m_hooks(std::move(hooks)),
      m_decoy(platform.ui) {
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
    tmrFront = &f.addTimer("tmrFront", 500, false);
    f.setDefaultButton(*cmdOK);
    f.setCancelButton(*cmdCancelPWD);
    cmdOK->onClick([this] { cmdOKClick(); });
    cmdCancelPWD->onClick([this] { cmdCancelPWDClick(); });
    tmrCodeDelay->onTick([this] { tmrCodeDelay->setEnabled(false); });
    tmrFront->onTick([this] { keepInFront(); });
    f.onActivate([this] { onActivate(); });
    f.onResize([this] { onResize(); });
    // Only the password or Cancel ends a lock: a close request from outside changes nothing.
    f.onCloseRequest([] {});
}

// Once per dialog, before it appears; it names the one request it answers. The set-password dialog is an
// ordinary window: no hint, no kept password. The session's end and the start-up lock cover the screen, and
// only the password ends them.
void PasswordDialog::open() {
    ShowDesktop();
    lblTask->setText(m_request.label);
    if (m_request.mode == LockMode::SetPassword) {
        lblDefaultPass->setText("Enter new password:");
        lblPassword->setText("New Access Control Password:");
        chkKeep->setVisible(false);
        return m_form->show();
    }
    if (m_hooks.isDefaultPassword && m_hooks.isDefaultPassword()) lblDefaultPass->setText(kDefaultHint);
    if (!m_state.rememberedPassword.empty()) {
        chkKeep->setChecked(true);
        txtPass->setText(m_state.rememberedPassword);
    }
    SetTopmost(m_platform.desktop, m_form->id(), true);
    if (m_request.coversDesktop) {
        cmdCancelPWD->setEnabled(false);
        m_form->setCoversScreen(true);
        tmrFront->setEnabled(true);
    }
    if (m_request.mode == LockMode::Installer) m_form->setWindowState(ui::WindowState::Maximized);
    m_form->show();
}

void PasswordDialog::close() {
    m_withdrawn = true;
    m_finishing = true;
    tmrFront->setEnabled(false);
    m_decoy.close();
    m_form->hide();
}

void PasswordDialog::onActivate() {
    RemoveCloseCommand(m_platform.desktop, m_form->id());
}

// A minimized dialog would leave new locks hiding windows with no prompt in sight: it comes straight back.
void PasswordDialog::onResize() {
    if (m_finishing || !m_form->isVisible() || m_form->windowState() != ui::WindowState::Minimized) return;
    m_form->setWindowState(m_request.mode == LockMode::Installer ? ui::WindowState::Maximized
                                                                 : ui::WindowState::Normal);
    m_form->show();
}

// A lock over the whole session: another window brought forward, even one kept on top, does not stay in front
// of it. Where Windows refuses the foreground the dialog still covers the screen, and flashes.
void PasswordDialog::keepInFront() {
    if (m_finishing || !m_form->isVisible()) return;
    IDesktop& desktop = m_platform.desktop;
    const std::vector<WindowId> zOrder = desktop.topLevelWindows();
    const bool inFront = !zOrder.empty() && zOrder.front() == m_form->id();
    if (inFront && desktop.foregroundWindow() == m_form->id() &&
        m_form->windowState() != ui::WindowState::Minimized) {
        return;
    }
    if (m_form->windowState() == ui::WindowState::Minimized) m_form->setWindowState(ui::WindowState::Normal);
    (void)m_platform.desktop.setTopmost(m_form->id(), true);
    m_form->show();
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
    if (m_request.mode == LockMode::SetPassword) return setPasswordStep();
    checkPassword();
}

// The right password answers the request; its owner gives the window back, switches the rule off or shows the
// configuration.
void PasswordDialog::checkPassword() {
    // The Start button that the start-menu option hides comes back for an installer, right password or wrong.
    if (m_request.mode == LockMode::Installer) {
        const WindowId startButton = m_platform.desktop.findWindow("Button", std::nullopt);
        if (startButton) (void)m_platform.desktop.showWindowAsync(startButton, ShowCommand::Show);
    }
    if (!accessPasswordMatches(m_platform.crypto, m_state.accessPassword, txtPass->text())) return refuse();
    if (m_request.mode == LockMode::Installer) return unlockInstaller();
    m_form->hide();
    finish(LockAnswer::Unlocked);
}

// No attempt counter and no delay: the text stays in the box for another try.
void PasswordDialog::refuse() {
    m_state.rememberedPassword.clear();
    lblDefaultPass->setText(kInvalid);
}

// The installer stays open: the desktop comes back as after Cancel, but nothing is asked to close.
void PasswordDialog::unlockInstaller() {
    m_state.messageText = kInstallsPermitted;
    if (m_hooks.messageDialog) m_hooks.messageDialog->show();
    cmdCancelPWD->setEnabled(true);
    cancelWait();
    finish(LockAnswer::Unlocked);
}

// Remembers whatever the box holds when "Keep Password" is ticked, right or wrong.
void PasswordDialog::cmdCancelPWDClick() {
    if (m_finishing) return;
    cancelWait();
    rememberBox();
    finish(LockAnswer::Cancelled);
}

// The desktop comes back, and the pause lets the toggle settle before the window is told to close.
void PasswordDialog::cancelWait() {
    m_finishing = true;
    tmrFront->setEnabled(false);
    ShowDesktop();
    cmdCancelPWD->setText("Wait...");
    cmdCancelPWD->setEnabled(false);
    waitForCodeDelay();
    m_form->hide();
    cmdCancelPWD->setEnabled(true);
}

// Other handlers and timers (the watch above all) run meanwhile; a quit ends the wait.
void PasswordDialog::waitForCodeDelay() {
    tmrCodeDelay->setEnabled(true);
    while (tmrCodeDelay->isEnabled() && m_platform.ui.waitForEvent()) {
    }
}

// The shell command file beside the program toggles the desktop; a missing file or a refusal goes unnoticed.
void PasswordDialog::ShowDesktop() {
    if (m_request.mode != LockMode::RegistryTools && m_request.mode != LockMode::Installer) return;
    m_decoy.show();
    (void)m_platform.shell.shellExecute({.owner = m_form->id(),
                                         .verb = "Open",
                                         .file = "\"" + m_state.programFolder + "dexlin.scf\"",
                                         .parameters = "",
                                         .directory = "",
                                         .show = ShowCommand::ShowNormal});
}

// The request is answered: the host hands the answer to the request's owner and opens the next request.
// A dialog closed meanwhile answers nothing: its request was withdrawn or went back to wait.
void PasswordDialog::finish(LockAnswer answer) {
    if (!chkKeep->isChecked()) txtPass->setText("");
    m_finishing = true;
    tmrFront->setEnabled(false);
    m_decoy.close();
    m_form->hide();
    if (m_hooks.answered && !m_withdrawn) m_hooks.answered(answer);
}
