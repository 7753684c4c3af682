#pragma once
#include <memory>
#include <string>
#include <vector>

#include "app/ObelonApp.h"
#include "platform/sim/SimPlatform.h"

namespace testsupport {

// One started obelon7 on a simulated machine, with short ways to reach its configuration window.
struct RunningProgram {
    std::unique_ptr<sim::SimInstance> process;
    std::unique_ptr<ObelonApp> app;
    bool running = false;

    ui::Form& configForm() { return app->configWindow().form(); }
    sim::SimListBox& list(const char* name);
    sim::SimCheckBox& checkBox(const char* name);
    std::string labelText(const char* name);
    std::vector<std::string> items(const char* name) { return list(name).items(); }
    std::vector<bool> checks(const char* name);
    // Runs the code inside the program's process, as its own event handlers run.
    bool run(const std::function<void()>& code) { return process->run(code); }
    void reload() {
        run([this] { app->configWindow().GetConfig(); });
    }
    // As after the right password: the configuration window is open for the administrator. A dialog still open
    // (the one every start opens) is cancelled first, which takes half a second.
    void openConfigWindow();
    // Ends the program as logging off does; the machine and its clocks run on.
    void stop() {
        app.reset();
        process.reset();
        running = false;
    }
    // The password dialog "Restrictions" made last (the one open, if any); null before the first.
    sim::SimForm* passwordDialog();
    // The lock the open dialog answers; null when none is open.
    const LockRequest* openLock() { return app->passwords().answering(); }
    size_t waitingLocks() { return app->passwords().waiting().size(); }
    // Types the password into the dialog and presses Enter, as the user does.
    void answerPassword(const std::string& password);
    // Cancel on every dialog that opens, one after the other, until none is open (each waits its half second).
    void cancelPasswordDialogs();
    // A click on a button or check box of the configuration window, as the user makes it: through its tab.
    void clickButton(const char* name);
    void clickCheckBox(const char* name);
    // The tab of the control's page comes to the front, as the user's click on it brings it.
    void showPageOf(const char* name);
};

// Starts the program the way Windows does at logon; `running` is false when it ended during start-up.
RunningProgram startProgram(sim::SimWorld& world);

}  // namespace testsupport
