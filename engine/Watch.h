#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/LockRequest.h"
#include "common/ProgramState.h"
#include "common/SuperShell.h"
#include "engine/AllowList.h"
#include "engine/HeldWindows.h"
#include "platform/Platform.h"

class BuiltInProtections;

// The lists of the configuration window that the watch reads; they belong to that window.
struct WatchLists {
    ui::ListBox& tasks;   // `lstTasks`
    ui::ListBox& allow;   // `lstAllow`, where the allowed classes are shown
    ui::ListBox& ignore;  // `lstignore`
};

// What the configuration window does for the watch.
struct WatchHooks {
    std::function<void()> GetConfig;
    std::function<void()> showMessage;  // the message dialog, with the shared message text
    // The held-window guard is needed while a window is held, and costs a timer's round of the event loop
    // many times a second: on while the watch holds one, off when it holds none.
    std::function<void(bool on)> guardHeld{};
};

// The foreground window as the tick found it.
struct ForegroundSnapshot {
    WindowId window;
    std::string title;
    std::string className;
};

// `timerObelon`'s tick: once a second, hide a foreground window that belongs to a locked task, then run the
// built-in protections over the same snapshot. Holds every window it hides until the password gives it back.
class Watch final {
public:
    Watch(Platform& platform, ProgramState& state, WatchLists lists, PasswordDialogLauncher& launcher,
          WatchHooks hooks);
    ~Watch();
    void tick();
    // From now on a change of the window in front, or of its title, starts the task scan at once instead of at
    // the next tick.
    void start();
    // Often, while a window is held: a held window that came back is hidden again at once.
    void guard();
    // The answer to a lock the watch or its protections raised.
    void lockAnswered(const LockRequest& request, LockAnswer answer);
    // The program ends: every held window gets its title back and is shown.
    void giveBackHeldWindows();

private:
    // The entries of a list as last read, read again only when the list has changed.
    struct ListCopy {
        uint64_t revision = ~uint64_t{0};
        std::vector<std::string> entries;
    };
    void runAlone(const std::function<void()>& scan);
    void runSteps();
    void RunProgramMaintenace();
    void takeSnapshot();
    void lookAtForeground();
    bool foregroundChanged();
    void updateGuard();
    void scanTasks();
    void letEventsRunNowAndThen(size_t done);
    static void refresh(ui::ListBox& list, ListCopy& copy, bool checkedOnly);
    bool isIgnored(const std::string& entry);
    void lock(const std::string& entry);

    Platform& m_platform;
    ProgramState& m_state;
    WatchLists m_lists;
    WatchHooks m_hooks;
    HeldWindows m_held;
    AllowList m_allow;
    std::unique_ptr<BuiltInProtections> m_protections;
    ForegroundSnapshot m_snapshot;
    ListCopy m_checkedTasks;
    ListCopy m_ignore;
    int64_t m_eventsLetRunAtMs = 0;
    bool m_ticking = false;
    bool m_lookAgain = false;  // the window in front changed while a scan ran
    bool m_guarding = false;
    bool m_started = false;
};
