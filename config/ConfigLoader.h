#pragma once
#include "common/ProgramState.h"
#include "common/SuperShell.h"
#include "platform/Platform.h"

class TasksPage;

// `GetConfig`: brings the stored configuration into the configuration window and the program's switches.
class ConfigLoader final {
public:
    // The window's controls must already exist.
    ConfigLoader(Platform& platform, ProgramState& state, ui::Form& configWindow, TasksPage& tasks,
                 PasswordDialogLauncher& launcher);
    void GetConfig();

private:
    void loadAdminExemption();
    void loadTrayIcon();
    void loadTasks();
    void loadPassword();
    void hashPlainPassword();
    void loadIgnoreList();
    void decideStartupLock();
    void loadTaskbar();
    // Checks the box and gives the switch when the stored text is exactly "1".
    bool loadSwitch(ui::CheckBox& box, const char* valueName);
    std::string machineSetting(const char* valueName);

    Platform& m_platform;
    ProgramState& m_state;
    ui::Form& m_form;
    TasksPage& m_tasks;
    PasswordDialogLauncher& m_launcher;
    ui::ListBox& lstTasks;
    ui::ListBox& lstignore;
    ui::CheckBox& chkAdmin;
    ui::CheckBox& chkTray;
    ui::CheckBox& chkDisableRegistry;
    ui::CheckBox& chkStartup;
    ui::CheckBox& chkHideSM;
    ui::CheckBox& chkLockIE2;
    ui::CheckBox& chkLock3Party;
    ui::CheckBox& chkLockEx1;
    ui::CheckBox& chkTaskManager1;
    ui::CheckBox& chklockinstall1;
    bool m_plainPasswordKept = false;
};
