#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "dialogs/MessageDialog.h"
#include "common/ProgramState.h"
#include "password/PasswordDialog.h"
#include "password/PasswordDialogHost.h"
#include "platform/sim/SimPlatform.h"

namespace pwtest {

inline constexpr const char* kSettingsKey = "Software\\OBP\\Settings";
inline constexpr const char* kDefaultPrompt = "Enter a password to continue, or, contact your network administrator.";
inline constexpr const char* kHint = "The default password is BLUEJAY.";
inline constexpr const char* kInvalid = "Password is Invalid.";
inline constexpr const char* kDesktopToggle = "\"C:\\Program Files\\Obelon Pro\\dexlin.scf\"";

// What the answers reach: recorded, and the configuration shown as the configuration window does.
class RecordingOwner final : public LockOwner {
public:
    RecordingOwner(ProgramState& state, std::unique_ptr<ui::Form>& configWindow)
        : m_state(state), m_configWindow(configWindow) {}
    void lockAnswered(const LockRequest& request, LockAnswer answer) override {
        answers.push_back({request, answer});
        if (request.mode == LockMode::Configuration && answer == LockAnswer::Unlocked) {
            m_state.configUnlocked = true;
            m_configWindow->show();
        }
    }
    std::vector<std::pair<LockRequest, LockAnswer>> answers;

private:
    ProgramState& m_state;
    std::unique_ptr<ui::Form>& m_configWindow;
};

// The short names the tests give the lock modes.
inline LockMode modeNamed(const std::string& code) {
    static const std::map<std::string, LockMode> modes = {
        {"app", LockMode::Task},           {"cfg", LockMode::Configuration},    {"pwd", LockMode::SetPassword},
        {"reg", LockMode::RegistryTools},  {"ie", LockMode::InternetExplorer},  {"ff", LockMode::Firefox},
        {"ex", LockMode::Explorer},        {"tm", LockMode::TaskManager},       {"ins", LockMode::Installer},
        {"un", LockMode::Uninstaller}};
    return modes.at(code);
}

// The launcher of a running program with its configuration window, on a simulated machine; the access password
// is the default until a test says otherwise.
class PasswordDialogScenario : public ::testing::Test {
protected:
    PasswordDialogScenario() {
        state.accessPassword = "bluejay";
        state.programFolder = "C:\\Program Files\\Obelon Pro\\";
        run([&] {
            configWindow = process.toolkit().createForm(
                {.name = "frmobelon", .caption = "Obelon Pro Configuration Tool", .width = 600, .height = 400});
        });
        host.attach(owner);
    }

    void run(const std::function<void()>& code) { ASSERT_TRUE(process.run(code)); }

    // A request as the part raising the lock makes it, handed to the launcher.
    void open(const std::string& mode, const std::string& label = "Notepad", WindowId window = {}) {
        run([&] { host.raiseLock({.mode = modeNamed(mode), .window = window, .label = label}); });
    }
    void raise(const LockRequest& request) {
        run([&] { host.raiseLock(request); });
    }
    // The last answer the owner got; Cancelled with an empty request when none came.
    std::pair<LockRequest, LockAnswer> lastAnswer() {
        return owner.answers.empty() ? std::pair<LockRequest, LockAnswer>{LockRequest{}, LockAnswer::Cancelled}
                                     : owner.answers.back();
    }
    bool unlocked(LockMode mode, WindowId window = {}) {
        const auto [request, answer] = lastAnswer();
        return !owner.answers.empty() && answer == LockAnswer::Unlocked && request.mode == mode &&
               request.window == window;
    }
    // A foreign window the watch has locked: retitled "###", hidden, and named in its request.
    WindowId lockTaskWindow(const std::string& title, const std::string& className, const std::string& entry) {
        const WindowId window = world.desktop.createWindow(title, className);
        EXPECT_TRUE(world.desktop.setWindowText(window, "###"));
        EXPECT_TRUE(world.desktop.showWindowAsync(window, ShowCommand::Hide));
        raise({.mode = LockMode::Task, .window = window, .label = entry, .windowClass = className});
        return window;
    }

    // A window of another program that stays open when it is asked to close (unsaved work, say), locked as a
    // task: each close message posted to it is counted.
    WindowId lockEditorWindow(const std::string& entry) {
        EXPECT_TRUE(editor.run([&] {
            editorWindow = editor.toolkit().createForm({.name = "editor", .caption = "Untitled - Editor"});
            editorWindow->onCloseRequest([] {});
            editorWindow->show();
        }));
        const WindowId window = editorWindow->id();
        EXPECT_TRUE(world.desktop.setWindowText(window, "###"));
        EXPECT_TRUE(world.desktop.showWindowAsync(window, ShowCommand::Hide));
        raise({.mode = LockMode::Task, .window = window, .label = entry, .windowClass = "ObelonForm"});
        return window;
    }

    sim::SimForm* dialog() { return sim::as<sim::SimForm>(host.form()); }
    bool asking(LockMode mode) { return host.answering() && host.answering()->mode == mode; }
    bool shown() { return dialog() && dialog()->isVisible(); }
    sim::SimTextBox& box() { return *sim::control<sim::SimTextBox>(*dialog(), "txtPass"); }
    sim::SimCheckBox& keep() { return *sim::control<sim::SimCheckBox>(*dialog(), "chkKeep"); }
    sim::SimButton& cancelButton() { return *sim::control<sim::SimButton>(*dialog(), "cmdCancelPWD"); }
    std::string text(const char* control) { return dialog()->findControl(control)->text(); }
    std::string prompt() { return text("lblDefaultPass"); }

    void type(const std::string& text) {
        run([&] {
            box().erase();
            box().type(text);
        });
    }
    void pressEnter() {
        run([&] { dialog()->pressEnter(); });
    }
    void pressEscape() {
        run([&] { dialog()->pressEscape(); });
    }
    void answer(const std::string& password) {
        type(password);
        pressEnter();
    }
    // `check` runs once, `afterMs` into whatever the program is doing then (the Cancel wait, say).
    void after(int afterMs, std::function<void()> check) {
        run([&] {
            probe = process.toolkit().createForm({.name = "probe", .caption = "probe", .width = 10, .height = 10});
            ui::Timer& timer = probe->addTimer("probeTimer", afterMs, true);
            timer.onTick([this, &timer, check = std::move(check)] {
                timer.setEnabled(false);
                check();
            });
        });
    }

    std::string storedPassword() {
        const Result<RegistryValue> value = world.registry.queryValue(RootKey::LocalMachine, kSettingsKey, "pwd");
        return value.ok() ? value.value().data.substr(0, value.value().data.find('\0')) : std::string("<absent>");
    }
    int desktopToggles() {
        int count = 0;
        for (const ShellExecuteArgs& run : process.shell().executed()) count += run.file == kDesktopToggle ? 1 : 0;
        return count;
    }

    sim::SimWorld world;
    sim::SimInstance process{world};
    sim::SimInstance editor{world};
    std::unique_ptr<ui::Form> editorWindow;
    ProgramState state;
    std::unique_ptr<ui::Form> configWindow;
    RecordingOwner owner{state, configWindow};
    std::unique_ptr<ui::Form> probe;
    MessageDialog message{process.toolkit(), state};
    PasswordDialogHost host{process.platform(), state, message};
};

}  // namespace pwtest
