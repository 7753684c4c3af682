#include "app/ConfigWindow.h"

#include "app/General.h"
#include "common/ConfigChanges.h"
#include "common/SystemTray.h"
#include "dialogs/MessageDialog.h"
#include "config/ConfigApplier.h"
#include "config/ConfigLoader.h"
#include "config/ConfigTransfer.h"
#include "engine/SessionLimit.h"
#include "engine/Watch.h"
#include "folders/FoldersPage.h"
#include "lists/IgnoreListForm.h"
#include "lists/TasksPage.h"
#include "password/PasswordDialogHost.h"

ConfigWindow::ConfigWindow(Platform& platform, ProgramState& state, PasswordDialogLauncher& launcher,
                           OpenDialogs dialogs)
    : m_platform(platform), m_state(state), m_launcher(launcher), m_dialogs(dialogs) {
    createControls();
    m_tasksPage = std::make_unique<TasksPage>(m_platform, m_state, *m_form, [this] {
        if (m_dialogs.frmError) m_dialogs.frmError->show();
    });
    m_foldersPage = std::make_unique<FoldersPage>(m_platform, *m_form);
    m_loader = std::make_unique<ConfigLoader>(m_platform, m_state, *m_form, *m_tasksPage, m_launcher);
    // A change loads the configuration itself, as its last step; a load asked for from outside waits for it.
    m_changes = std::make_unique<ConfigChanges>([this] { m_loader->GetConfig(); });
    const auto loadWithinChange = [this] { m_loader->GetConfig(); };
    m_applier = std::make_unique<ConfigApplier>(
        m_platform, m_state, *m_form, *m_changes,
        ConfigApplier::Hooks{.GetConfig = loadWithinChange, .showMessage = [this] { showMessage(); }});
    m_transfer = std::make_unique<ConfigTransfer>(m_platform, m_state, *m_form, *m_changes, loadWithinChange);
    m_watch = std::make_unique<Watch>(
        m_platform, m_state, WatchLists{m_tasksPage->list(), *lstAllow, *lstignore}, m_launcher,
        WatchHooks{.GetConfig = [this] { GetConfig(); },
                   .showMessage = [this] { showMessage(); },
                   .guardHeld = [this](bool on) { tmrHeld->setEnabled(on); }});
    m_ignoreList = std::make_unique<IgnoreListForm>(m_platform, m_state, *m_form, *m_changes);
    m_session = std::make_unique<SessionLimit>(m_platform, m_state, *m_form, m_launcher);
    connectHandlers();
}

ConfigWindow::~ConfigWindow() { DeleteTrayIcon(m_platform.shell, m_form->id()); }

void ConfigWindow::GetConfig() { m_changes->requestLoad(); }

void ConfigWindow::showMessage() {
    if (m_dialogs.frmError) m_dialogs.frmError->show();
}

void ConfigWindow::connectHandlers() {
    // What would start a second change is out of reach while one runs, so no click is silently dropped.
    m_changes->onRunning([this](bool running) {
        for (const char* name : {"cmdok", "cmdImport", "cmdExport", "chkAdmin"}) {
            m_form->findControl(name)->setEnabled(!running);
        }
    });
    m_form->onActivate([this] { onActivate(); });
    m_form->onTrayMouse([this](int message) { onTrayMouse(message); });
    // Leaving is only through the window's own buttons.
    m_form->onCloseRequest([] {});
    Timer1->onTick([this] { Timer1->setEnabled(false); });
    timerInstance->onTick([this] { onInstanceTick(); });
    timerObelon->onTick([this] { m_watch->tick(); });
    tmrHeld->onTick([this] { m_watch->guard(); });
    // Behind the password the window takes no clicks, even shown by another program without activation.
    m_form->setInputGate([this] { return m_state.configUnlocked; });
    tmrTimer->onTick([this] { m_session->tmrTimerTick(); });
    m_form->control<ui::TextBox>("txtrelock").onChange([this] { m_session->txtrelockChange(); });
    cmdsetpassword->onClick([this] { cmdsetpasswordClick(); });
    m_form->control<ui::Button>("cmdIgnore").onClick([this] { m_ignoreList->open(); });
    cmdcancel->onClick([this] { cmdcancelClick(); });
    cmdExit->onClick([this] { cmdExitClick(); });
    cmdPolicies->onClick([this] { launchBesideProgram("obext.exe"); });
    cmdRepair->onClick([this] { launchBesideProgram("repair.exe"); });
    cmdupdate->onClick([this] {
        if (refusedDuringRun()) return;
        launchBesideProgram("update.exe");
        // The updater may replace this program's files, so the program leaves at once.
        shutdown();
    });
    cmdhelp->onClick([this] {
        (void)m_platform.shell.shellExecute({.owner = m_form->id(),
                                             .verb = "Open",
                                             .file = m_state.programFolder + "help.chm",
                                             .parameters = "",
                                             .directory = "",
                                             .show = ShowCommand::ShowNormal});
    });
    cmdLink->onClick([this] {
        (void)m_platform.shell.shellExecute(
            {.owner = m_form->id(), .verb = "Open", .file = kProductWebAddress, .show = ShowCommand::ShowNormal});
    });
}

void ConfigWindow::cmdsetpasswordClick() {
    m_launcher.raiseLock({.mode = LockMode::SetPassword});
}

void ConfigWindow::lockAnswered(const LockRequest& request, LockAnswer answer) {
    if (request.mode != LockMode::Configuration) return m_watch->lockAnswered(request, answer);
    if (answer != LockAnswer::Unlocked) return;
    m_state.configUnlocked = true;
    m_form->show();
}

// Whatever is missing beside the program, starting it shows nothing: the result is not checked.
void ConfigWindow::launchBesideProgram(const std::string& file) {
    (void)m_platform.shell.shellExecute({.owner = m_form->id(),
                                         .verb = "Open",
                                         .file = file,
                                         .directory = m_state.programFolder,
                                         .show = ShowCommand::ShowNormal});
}

void ConfigWindow::onActivate() {
    if (m_state.configUnlocked) return;
    m_launcher.raiseLock({.mode = LockMode::Configuration});
    m_form->hide();
}

// A second start of the program sits in its start-up delay titled "#obelon init": answer it once per run. Not
// during a folder run, though: behind the password the window would hide, and with it the run's Abort; the person
// who started the program again is told why nothing opens, once for that start.
void ConfigWindow::onInstanceTick() {
    const WindowId second = m_platform.desktop.findWindow(std::nullopt, "#obelon init");
    if (!second) return;
    if (m_state.instanceSignal) return;
    if (m_foldersPage->running()) {
        if (second != m_refusedInstance) {
            m_refusedInstance = second;
            (void)refusedDuringRun();
        }
        return;
    }
    m_state.instanceSignal = true;
    m_launcher.raiseLock({.mode = LockMode::Configuration, .label = "Obelon Pro Configuration Tool"});
}

void ConfigWindow::onTrayMouse(int message) {
    if (message != kTrayLeftButtonUp) return;
    m_launcher.raiseLock({.mode = LockMode::Configuration, .label = "Configuration"});
}

void ConfigWindow::cmdcancelClick() {
    m_state.configUnlocked = false;
    cmdcancel->setText("Cancel");
    m_form->hide();
}

// Ending the program in the middle of a run would leave a file half written beside its source.
bool ConfigWindow::refusedDuringRun() {
    if (!m_foldersPage->running()) return false;
    (void)m_platform.shell.messageBox(
        {.owner = m_form->id(),
         .text = "Files are being encrypted or decrypted on the Files/Folders page. Press Abort or wait for the run "
                 "to end, then try again.",
         .title = "Obelon Pro",
         .icon = MessageBoxIcon::Exclamation,
         .buttons = MessageBoxButtons::Ok});
    return true;
}

void ConfigWindow::cmdExitClick() {
    if (refusedDuringRun()) return;
    const MessageBoxAnswer answer = m_platform.shell.messageBox(
        {.owner = m_form->id(),
         .text = std::string("This will remove the program from memory and ") +
                 "disable Task Locking until Windows next starts.",
         .title = "Exit Obelon Pro 2011",
         .icon = MessageBoxIcon::Exclamation,
         .buttons = MessageBoxButtons::OkCancel});
    if (answer != MessageBoxAnswer::Cancel) shutdown();
}

// Ending the program is itself behind the password, so what it held hidden comes back first.
void ConfigWindow::shutdown() {
    m_watch->giveBackHeldWindows();
    ShutdownProgram(m_platform, ShutdownArgs{.dialogs = dialogsToClose(), .trayOwner = m_form->id()});
}

std::vector<ui::Form*> ConfigWindow::dialogsToClose() {
    std::vector<ui::Form*> forms;
    for (ui::Form* form : {m_ignoreList->form(), m_tasksPage->browserForm(),
                           m_dialogs.frmPassword ? m_dialogs.frmPassword->form() : nullptr,
                           m_dialogs.frmError ? m_dialogs.frmError->form() : nullptr, m_session->countdown().form()}) {
        if (form) forms.push_back(form);
    }
    return forms;
}
