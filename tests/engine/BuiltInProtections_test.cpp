#include <gtest/gtest.h>

#include <memory>

#include "registry/RegistryEdit.h"
#include "tests/support/Accounts.h"
#include "tests/support/RunningProgram.h"

using testsupport::RunningProgram;
using testsupport::startProgram;

namespace {

constexpr const char* kSettings = "Software\\OBP\\Settings";

// A started program with the named protections stored as on.
class ProtectionScenario : public ::testing::Test {
protected:
    void start(std::initializer_list<const char*> settingsOn) {
        for (const char* name : settingsOn) {
            if (std::string(name) == "DisableRegistryTools") {
                SetDWordValue(world.registry, RootKey::LocalMachine, kSettings, name, 1);
            } else {
                SetStringValue(world.registry, RootKey::LocalMachine, kSettings, name, "1");
            }
        }
        program = startProgram(world);
        ASSERT_TRUE(program.running);
        program.cancelPasswordDialogs();  // the configuration's, which every start opens
    }
    void tick() { world.advance(1000); }
    bool hidden(WindowId window) { return !world.desktop.isVisible(window); }
    // The lock the dialog answers now, as its mode, window and label.
    bool asks(LockMode mode, WindowId window, const std::string& label) {
        const LockRequest* open = program.openLock();
        return open && open->mode == mode && open->window == window && open->label == label &&
               program.passwordDialog()->findControl("lblTask")->text() == label;
    }
    bool nothingAsked() { return !program.openLock(); }
    void cancel() {
        program.run([&] { program.passwordDialog()->pressEscape(); });
        world.advance(600);
    }

    sim::SimWorld world;
    RunningProgram program;
};

}  // namespace

TEST_F(ProtectionScenario, TheRegistryEditorInFrontIsHiddenOnceWithoutBeingRenamed) {
    start({"DisableRegistryTools"});
    const WindowId editor = world.desktop.createWindow("Registry Editor", "RegEdit_RegEdit");
    tick();
    EXPECT_TRUE(hidden(editor));
    EXPECT_EQ(world.desktop.windowText(editor), "Registry Editor");
    EXPECT_TRUE(asks(LockMode::RegistryTools, editor, "Registry Tools"));
    tick();
    EXPECT_EQ(program.waitingLocks(), 0u);
    program.answerPassword("bluejay");
    EXPECT_FALSE(hidden(editor));
    EXPECT_FALSE(program.app->state().protections.reg);
}

TEST_F(ProtectionScenario, InternetExplorerIsHiddenEvenInTheBackgroundUntilUnlocked) {
    start({"LockIE"});
    const WindowId browser = world.desktop.createWindow("Home - Internet Explorer", "IEFrame");
    world.desktop.createWindow("Untitled - Notepad", "Notepad");
    tick();
    EXPECT_TRUE(hidden(browser));
    EXPECT_TRUE(asks(LockMode::InternetExplorer, browser, "Internet Explorer"));

    // Unlocked: a second window is left alone while one is open; once all are gone the next is locked.
    program.answerPassword("bluejay");
    EXPECT_FALSE(hidden(browser));
    const WindowId second = world.desktop.createWindow("News - Internet Explorer", "IEFrame");
    tick();
    EXPECT_FALSE(hidden(second));
    EXPECT_TRUE(nothingAsked());
    world.desktop.destroyWindow(browser);
    world.desktop.destroyWindow(second);
    tick();
    EXPECT_EQ(program.app->state().protections.ie, 1);
    const WindowId third = world.desktop.createWindow("Internet Explorer", "IEFrame");
    tick();
    EXPECT_TRUE(hidden(third));
}

// Each rule's lock waits its turn: the Explorer lock does not take over the dialog Firefox's lock opened.
TEST_F(ProtectionScenario, FirefoxOfEitherClassAndExplorerAreAllHiddenAndAskedForInTurn) {
    start({"chkLock3Party", "LockEx"});
    const WindowId firefox = world.desktop.createWindow("Mozilla Firefox", "MozillaUIWindowClass");
    const WindowId current = world.desktop.createWindow("New Tab - Mozilla Firefox", "MozillaWindowClass");
    const WindowId folder = world.desktop.createWindow("Documents", "CabinetWClass");
    const WindowId explorer = world.desktop.createWindow("Exploring", "ExploreWClass");
    const WindowId helper = world.desktop.createWindow("", "MozillaWindowClass", false);  // Firefox keeps it hidden
    tick();
    for (const WindowId window : {firefox, current, folder, explorer}) EXPECT_TRUE(hidden(window));
    EXPECT_TRUE(asks(LockMode::Firefox, firefox, "Mozilla Firefox"));
    EXPECT_EQ(program.waitingLocks(), 1u);
    tick();
    EXPECT_EQ(program.waitingLocks(), 1u);

    program.answerPassword("bluejay");
    EXPECT_FALSE(hidden(firefox));
    EXPECT_FALSE(hidden(current));
    EXPECT_TRUE(hidden(helper));
    EXPECT_TRUE(hidden(folder));
    EXPECT_TRUE(asks(LockMode::Explorer, explorer, "Windows Explorer"));
    program.answerPassword("bluejay");
    EXPECT_FALSE(hidden(folder));
    EXPECT_FALSE(hidden(explorer));
    EXPECT_TRUE(nothingAsked());
}

// A window that Cancel could not close (its program asks about unsaved work, say) stays hidden, and the rule
// asks for the password for it again at its next tick.
TEST_F(ProtectionScenario, AfterACancelTheWindowLeftOpenStaysHiddenAndAsksAgain) {
    start({"TaskManager"});
    sim::SimInstance managerProgram{world};
    std::unique_ptr<ui::Form> manager;
    ASSERT_TRUE(managerProgram.run([&] {
        manager = managerProgram.toolkit().createForm({.name = "manager", .caption = "Windows Task Manager"});
        manager->onCloseRequest([] {});
        manager->show();
    }));
    const WindowId window = manager->id();
    tick();
    ASSERT_TRUE(asks(LockMode::TaskManager, window, "Windows Task Manager"));
    cancel();
    EXPECT_EQ(world.desktop.closeMessagesPosted(window), 2);
    EXPECT_TRUE(hidden(window));
    tick();
    EXPECT_TRUE(hidden(window));
    EXPECT_TRUE(asks(LockMode::TaskManager, window, "Windows Task Manager"));
}

// Task Manager titled in full up to Windows 7; since Windows 8 its class is the sign, whatever its title says.
TEST_F(ProtectionScenario, TaskManagerIsRecognisedByItsOldTitleOrItsCurrentClass) {
    start({"TaskManager"});
    const WindowId other = world.desktop.createWindow("Windows Task Manager - 2", "Other");
    tick();
    EXPECT_FALSE(hidden(other));
    EXPECT_TRUE(nothingAsked());
    const WindowId current = world.desktop.createWindow("Task Manager", "TaskManagerWindow");
    tick();
    EXPECT_TRUE(hidden(current));
    EXPECT_TRUE(asks(LockMode::TaskManager, current, "Windows Task Manager"));
    program.answerPassword("bluejay");
    const WindowId classic = world.desktop.createWindow("windows task manager", "#32770");
    tick();
    EXPECT_FALSE(hidden(classic));  // switched off until the configuration is loaded again
    program.reload();
    tick();
    EXPECT_TRUE(hidden(classic));
}

TEST_F(ProtectionScenario, AnInstallerIsMinimizedAndItsTextsAreCaseSensitive) {
    start({"LockInstall"});
    const WindowId shouting = world.desktop.createWindow("INSTALL", "Wizard");
    tick();
    EXPECT_TRUE(nothingAsked());
    EXPECT_FALSE(world.desktop.isMinimized(shouting));

    const WindowId setup = world.desktop.createWindow("Setup - Example", "Wizard");
    tick();
    EXPECT_TRUE(world.desktop.isMinimized(setup));
    EXPECT_TRUE(asks(LockMode::Installer, setup, "Installation Program"));
    EXPECT_EQ(program.passwordDialog()->windowState(), ui::WindowState::Maximized);
}

// "setup.txt - Notepad" is a locked task and also looks like an installer: the task lock holds it hidden, and
// the installer rule neither shows it again minimized nor raises a lock of its own.
TEST_F(ProtectionScenario, TheInstallerRuleLeavesAHiddenTaskWindowHidden) {
    SetStringValue(world.registry, RootKey::LocalMachine, "Software\\OBP\\Tasks", "Task0", "Notepad,1");
    start({"LockInstall"});
    const WindowId notepad = world.desktop.createWindow("setup.txt - Notepad", "Notepad");
    tick();
    tick();
    EXPECT_TRUE(hidden(notepad));
    EXPECT_FALSE(world.desktop.isMinimized(notepad));
    EXPECT_TRUE(asks(LockMode::Task, notepad, "Notepad"));
    EXPECT_EQ(program.waitingLocks(), 0u);
}

TEST_F(ProtectionScenario, TheOwnUninstallerAsksOnceAndHidesNothing) {
    start({});
    const WindowId uninstaller = world.desktop.createWindow("Obelon Pro 2011 Uninstall", "Wizard");
    tick();
    EXPECT_TRUE(asks(LockMode::Uninstaller, WindowId{}, "Uninstall Obelon Pro"));
    EXPECT_FALSE(hidden(uninstaller));
    tick();
    EXPECT_EQ(program.waitingLocks(), 0u);

    program.answerPassword("bluejay");
    tick();
    EXPECT_TRUE(nothingAsked());
}

TEST_F(ProtectionScenario, NoRuleRunsForTheAdministrator) {
    SetStringValue(world.registry, RootKey::LocalMachine, testsupport::accountKey(), "CurrentUser", "Enabled");
    start({"LockIE", "TaskManager", "LockInstall"});
    const WindowId browser = world.desktop.createWindow("Internet Explorer", "IEFrame");
    const WindowId setup = world.desktop.createWindow("Setup", "Wizard");
    tick();
    EXPECT_FALSE(hidden(browser));
    EXPECT_FALSE(world.desktop.isMinimized(setup));
    EXPECT_TRUE(nothingAsked());
}

TEST_F(ProtectionScenario, RulesThatAreOffLeaveEveryWindowAlone) {
    start({});
    const WindowId editor = world.desktop.createWindow("Registry Editor", "RegEdit_RegEdit");
    world.desktop.createWindow("Internet Explorer", "IEFrame");
    world.desktop.createWindow("Windows Task Manager", "TaskManagerWindow");
    world.desktop.setForeground(editor);
    tick();
    EXPECT_FALSE(hidden(editor));
    EXPECT_TRUE(nothingAsked());
}
