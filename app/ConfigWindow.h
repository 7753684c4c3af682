#pragma once
#include <memory>
#include <vector>

#include "common/ProgramState.h"
#include "common/SuperShell.h"
#include "platform/Platform.h"

class MessageDialog;
class PasswordDialogHost;
class TasksPage;
class FoldersPage;
class ConfigLoader;
class ConfigApplier;
class ConfigTransfer;
class ConfigChanges;
class Watch;
class IgnoreListForm;
class SessionLimit;

inline constexpr const char* kProductWebAddress = "https://obelonpro.example.com";

// The dialogs of the program that the configuration window does not own itself.
struct OpenDialogs {
    PasswordDialogHost* frmPassword = nullptr;
    MessageDialog* frmError = nullptr;
};

// The configuration window `frmobelon`: built once at start, hidden except while unlocked.
class ConfigWindow final : public LockOwner {
public:
    ConfigWindow(Platform& platform, ProgramState& state, PasswordDialogLauncher& launcher, OpenDialogs dialogs);
    ~ConfigWindow() override;
    // Runs the start-up sequence, then shows the window as the program's start-up window.
    void startUp();
    // Loads the configuration into the window now, or right after a change that runs.
    void GetConfig();
    // Where every answer of the password dialog goes: the configuration's own here, the rest to the watch.
    void lockAnswered(const LockRequest& request, LockAnswer answer) override;
    [[noreturn]] void shutdown();
    // The windows the shutdown closes, in its order: frmignore, frmLock, frmPassword, frmError, frmtickCount.
    // A dialog that was never opened gives none.
    std::vector<ui::Form*> dialogsToClose();
    ui::Form& form() { return *m_form; }
    FoldersPage& foldersPage() { return *m_foldersPage; }

private:
    void createControls();
    void createTasksPage();
    void createFilesPage();
    void createSettingsPage();
    void createUsersPage();
    void createAdvancedPage();
    void createAboutPage();
    void createDebugPanel();
    void connectHandlers();

    bool waitForStartupDelay();
    void takeInstanceTitle();
    void ensureRunKeyEntry();
    std::string aboutText();

    void onActivate();
    void onInstanceTick();
    void onTrayMouse(int message);
    void cmdcancelClick();
    void cmdExitClick();
    bool refusedDuringRun();
    void launchBesideProgram(const std::string& file);
    void cmdsetpasswordClick();
    void showMessage();

    Platform& m_platform;
    ProgramState& m_state;
    PasswordDialogLauncher& m_launcher;
    OpenDialogs m_dialogs;
    std::unique_ptr<ui::Form> m_form;
    std::unique_ptr<TasksPage> m_tasksPage;
    std::unique_ptr<FoldersPage> m_foldersPage;
    WindowId m_refusedInstance{};  // the second start told to wait for the folder run
    std::unique_ptr<ConfigLoader> m_loader;
    std::unique_ptr<ConfigChanges> m_changes;
    std::unique_ptr<ConfigApplier> m_applier;
    std::unique_ptr<ConfigTransfer> m_transfer;
    std::unique_ptr<Watch> m_watch;
    std::unique_ptr<IgnoreListForm> m_ignoreList;
    std::unique_ptr<SessionLimit> m_session;
    ui::ListBox* lstAllow = nullptr;
    ui::ListBox* lstignore = nullptr;

    ui::TabStrip* SmartTab1 = nullptr;
    ui::Button* cmdhelp = nullptr;
    ui::Button* cmdcancel = nullptr;
    ui::Button* cmdok = nullptr;
    ui::CheckBox* chkTray = nullptr;
    ui::Button* cmdPolicies = nullptr;
    ui::Button* cmdsetpassword = nullptr;
    ui::Label* lblAbout = nullptr;
    ui::Button* cmdRepair = nullptr;
    ui::Button* cmdupdate = nullptr;
    ui::Button* cmdExit = nullptr;
    ui::Button* cmdLink = nullptr;
    ui::Timer* Timer1 = nullptr;
    ui::Timer* timerInstance = nullptr;
    ui::Timer* timerObelon = nullptr;
    ui::Timer* tmrHeld = nullptr;
    ui::Timer* tmrTimer = nullptr;
    ui::Timer* tmrAutoUpdated = nullptr;
};
