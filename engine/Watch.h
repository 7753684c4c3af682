#pragma once
#include <functional>
#include <string>

#include "common/ProgramState.h"
#include "common/SuperShell.h"
#include "platform/Platform.h"

// The lists of the configuration window that the watch reads; they belong to that window.
struct WatchLists {
    ui::ListBox& tasks;   // `lstTasks`
    ui::ListBox& allow;   // `lstAllow`
    ui::ListBox& ignore;  // `lstignore`
};

// What the configuration window does for the watch.
struct WatchHooks {
    std::function<void()> GetConfig;
    std::function<void()> RunAdvanced;  // the built-in protections, over the same snapshot
    std::function<void()> showMessage;  // the message dialog, with the shared message text
};

// The foreground window as the tick found it.
struct ForegroundSnapshot {
    WindowId window;
    std::string title;
    std::string className;
};

// `timerObelon`'s tick: once a second, hide a foreground window that belongs to a locked task.
class Watch final {
public:
    Watch(Platform& platform, ProgramState& state, WatchLists lists, PasswordDialogLauncher& launcher,
          WatchHooks hooks);
    void tick();
    const ForegroundSnapshot& snapshot() const { return m_snapshot; }

private:
    void runSteps();
    void RunProgramMaintenace();
    void takeSnapshot();
    void scanTasks();
    bool isAllowed();
    bool isIgnored(const std::string& entry);
    void lock(const std::string& entry);
    void CleanUpWindows();

    Platform& m_platform;
    ProgramState& m_state;
    WatchLists m_lists;
    PasswordDialogLauncher& m_launcher;
    WatchHooks m_hooks;
    ForegroundSnapshot m_snapshot;
    bool m_ticking = false;
};
