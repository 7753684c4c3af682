#include "config/ConfigLoader.h"

#include <string>
#include <vector>

#include "common/SystemTray.h"
#include "common/ConfigSchema.h"
#include "lists/TasksPage.h"
#include "common/AccessPassword.h"
#include "common/EventPacer.h"
#include "config/ListSlots.h"
#include "registry/RegistryEdit.h"

ConfigLoader::ConfigLoader(Platform& platform, ProgramState& state, ui::Form& configWindow, TasksPage& tasks,
                           PasswordDialogLauncher& launcher)
    : m_platform(platform),
      m_state(state),
      m_form(configWindow),
      m_tasks(tasks),
      m_launcher(launcher),
      lstTasks(tasks.list()),
      lstignore(configWindow.control<ui::ListBox>("lstignore")),
      chkAdmin(configWindow.control<ui::CheckBox>("chkAdmin")),
      chkTray(configWindow.control<ui::CheckBox>("chkTray")),
      chkDisableRegistry(configWindow.control<ui::CheckBox>("chkDisableRegistry")),
      chkStartup(configWindow.control<ui::CheckBox>("chkStartup")),
      chkHideSM(configWindow.control<ui::CheckBox>("chkHideSM")),
      chkLockIE2(configWindow.control<ui::CheckBox>("chkLockIE2")),
      chkLock3Party(configWindow.control<ui::CheckBox>("chkLock3Party")),
      chkLockEx1(configWindow.control<ui::CheckBox>("chkLockEx1")),
      chkTaskManager1(configWindow.control<ui::CheckBox>("chkTaskManager1")),
      chklockinstall1(configWindow.control<ui::CheckBox>("chklockinstall1")) {}

// Every list and switch is rebuilt from the registry; nothing of an earlier load survives. Events run every few
// milliseconds while the lists are read, so the watch may see a list that is only partly rebuilt. The lists are
// drawn once, when they are whole.
void ConfigLoader::GetConfig() {
    // The administrator box's click stores the box and loads again; a load that sets the box from the store must
    // not do either, or the outer load goes on to add every task a second time.
    struct Loading {
        bool& flag;
        const bool was = flag;
        ~Loading() { flag = was; }
    } loading{m_state.configLoading};
    m_state.configLoading = true;
    const ui::DrawingPaused tasksPaused(lstTasks);
    const ui::DrawingPaused ignorePaused(lstignore);
    lstTasks.clear();
    loadAdminExemption();
    loadTrayIcon();
    loadTasks();
    m_tasks.CountTasks();
    if (lstTasks.count() == 0) m_tasks.AddTasks();
    lstTasks.setSelectedIndex(0);
    loadPassword();
    loadIgnoreList();
    m_state.protections.reg = GetDWordValue(m_platform.registry, RootKey::LocalMachine, config::kSettingsKey,
                                            config::kDisableRegistryTools) == 1;
    chkDisableRegistry.setChecked(m_state.protections.reg);
    decideStartupLock();
    loadTaskbar();
    // A load also ends a temporary unlock of Internet Explorer.
    m_state.protections.ie = loadSwitch(chkLockIE2, config::kLockIE) ? 1 : 0;
    m_state.protections.ff = loadSwitch(chkLock3Party, config::kLockOtherBrowsers);
    m_state.protections.ex = loadSwitch(chkLockEx1, config::kLockExplorer);
    m_state.protections.tm = loadSwitch(chkTaskManager1, config::kTaskManager);
    m_state.protections.ins = loadSwitch(chklockinstall1, config::kLockInstall);
    m_state.loadingGuard = false;
}

std::string ConfigLoader::machineSetting(const char* valueName) {
    return GetStringValue(m_platform.registry, RootKey::LocalMachine, config::kSettingsKey, valueName);
}

// Only the machine-wide value of this account counts: one in the user's own hive is his to write.
void ConfigLoader::loadAdminExemption() {
    m_state.adminExemption = GetStringValue(m_platform.registry, RootKey::LocalMachine,
                                            config::accountKey(m_platform.process.userSid()),
                                            config::kCurrentUser) == "Enabled";
    chkAdmin.setChecked(m_state.adminExemption);
}

void ConfigLoader::loadTrayIcon() {
    chkTray.setChecked(config::isOn(machineSetting(config::kTray)));
    UpdateTrayIcon(m_platform.shell, m_form.id(), m_state.adminExemption, chkTray.isChecked());
}

// Empty slots do not end the list: every slot counts, all read in one pass over the key.
void ConfigLoader::loadTasks() {
    HeldKey key(m_platform.registry, RootKey::LocalMachine, config::kTasksKey);
    const std::vector<std::string> slots = config::readListSlots(key);
    EventPacer events(m_platform.ui, m_platform.clock);
    for (const std::string& stored : slots) {
        events.step();
        config::StoredTask task;
        if (!config::parseStoredTask(stored, task)) continue;
        lstTasks.addItem(task.text);
        if (task.checked) lstTasks.setChecked(lstTasks.count() - 1, true);
    }
}

void ConfigLoader::loadPassword() {
    const std::string stored = machineSetting(config::kPassword);
    m_state.accessPassword = stored.empty() ? kDefaultAccessPassword : accessPasswordFromStored(stored);
    if (!stored.empty() && !isHashedAccessPassword(stored)) hashPlainPassword();
}

// A password from an older installation is stored as plain text, which every user can read; it is replaced by
// its hash, which unlocks with the same typed text. A refused write (a standard user) leaves it for a run that
// can write, without paying for the hash at every load of this one.
void ConfigLoader::hashPlainPassword() {
    if (m_plainPasswordKept) return;
    const Result<std::string> hashed = hashAccessPassword(m_platform.crypto, m_state.accessPassword);
    if (!hashed.ok()) return;
    const Status stored = writeStringValue(m_platform.registry, RootKey::LocalMachine, config::kSettingsKey,
                                           config::kPassword, hashed.value());
    if (!stored.ok()) {
        m_plainPasswordKept = true;
        return;
    }
    m_state.accessPassword = hashed.value();
}

void ConfigLoader::loadIgnoreList() {
    lstignore.clear();
    HeldKey key(m_platform.registry, RootKey::LocalMachine, config::kIgnoreListKey);
    const std::vector<std::string> slots = config::readListSlots(key);
    EventPacer events(m_platform.ui, m_platform.clock);
    for (const std::string& stored : slots) {
        events.step();
        if (!stored.empty()) lstignore.addItem(stored);
    }
}

// Once per run, from the stored "Startup" value: "1" covers the whole desktop at start behind a
// password dialog that only the right password ends.
void ConfigLoader::decideStartupLock() {
    if (m_state.startupLockDone) return;
    const std::string stored = machineSetting(config::kStartup);
    if (stored == "1") {
        chkStartup.setChecked(true);
        m_launcher.raiseLock({.mode = LockMode::Task, .label = "Microsoft Windows\xC2\xAE", .coversDesktop = true});
        m_state.startupLockDone = true;
    } else if (stored.empty() || stored == "0") {
        chkStartup.setChecked(false);
        m_state.startupLockDone = true;
    }
}

// The Start button is a window of its own on some Windows versions; where it is not, nothing is found.
void ConfigLoader::loadTaskbar() {
    IDesktop& desktop = m_platform.desktop;
    const bool hide = config::isOn(machineSetting(config::kHideStartMenu));
    chkHideSM.setChecked(hide);
    const ShowCommand command = hide ? ShowCommand::Hide : ShowCommand::Show;
    const WindowId taskbar = desktop.findWindow("Shell_TrayWnd", std::nullopt);
    if (taskbar) (void)desktop.showWindowAsync(taskbar, command);
    const WindowId startButton = desktop.findWindow("Button", std::nullopt);
    if (startButton) (void)desktop.showWindowAsync(startButton, command);
}

bool ConfigLoader::loadSwitch(ui::CheckBox& box, const char* valueName) {
    const bool on = config::isOn(machineSetting(valueName));
    box.setChecked(on);
    return on;
}
