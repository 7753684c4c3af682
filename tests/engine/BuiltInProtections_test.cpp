#include <gtest/gtest.h>

#include "registry/RegistryEdit.h"
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
        lock() = {};
    }
    void tick() { world.advance(1000); }
    LockRecord& lock() { return program.app->state().lock; }
    bool hidden(WindowId window) { return !world.desktop.isVisible(window); }

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
    EXPECT_EQ(lock().mode, "reg");
    EXPECT_EQ(lock().label, "Registry Tools");
    EXPECT_EQ(lock().window, editor);
    // Hidden, it is no longer in front, so the rule does not fire again.
    lock() = {};
    tick();
    EXPECT_EQ(lock().mode, "");
}

TEST_F(ProtectionScenario, InternetExplorerIsHiddenEvenInTheBackgroundUntilUnlocked) {
    start({"LockIE"});
    const WindowId browser = world.desktop.createWindow("Home - Internet Explorer", "IEFrame");
    world.desktop.createWindow("Untitled - Notepad", "Notepad");
    tick();
    EXPECT_TRUE(hidden(browser));
    EXPECT_EQ(lock().mode, "ie");
    EXPECT_EQ(lock().window, browser);

    // Unlocked: a second window is left alone while one is open; once all are gone the next is locked.
    program.app->state().protections.ie = 2;
    lock() = {};
    const WindowId second = world.desktop.createWindow("News - Internet Explorer", "IEFrame");
    tick();
    EXPECT_FALSE(hidden(second));
    EXPECT_EQ(lock().mode, "");
    world.desktop.destroyWindow(browser);
    world.desktop.destroyWindow(second);
    tick();
    EXPECT_EQ(program.app->state().protections.ie, 1);
    const WindowId third = world.desktop.createWindow("Internet Explorer", "IEFrame");
    tick();
    EXPECT_TRUE(hidden(third));
}

TEST_F(ProtectionScenario, FirefoxAndExplorerTogetherAreBothHiddenAndExplorerDecides) {
    start({"chkLock3Party", "LockEx"});
    const WindowId firefox = world.desktop.createWindow("Mozilla Firefox", "MozillaUIWindowClass");
    const WindowId folder = world.desktop.createWindow("Documents", "CabinetWClass");
    tick();
    EXPECT_TRUE(hidden(firefox));
    EXPECT_TRUE(hidden(folder));
    EXPECT_EQ(lock().mode, "ex");
    EXPECT_EQ(lock().label, "Windows Explorer");
    EXPECT_EQ(lock().window, folder);
}

TEST_F(ProtectionScenario, TheExplorerWindowClassIsPreferredToTheCabinet) {
    start({"LockEx"});
    world.desktop.createWindow("Documents", "CabinetWClass");
    const WindowId explorer = world.desktop.createWindow("Exploring", "ExploreWClass");
    tick();
    EXPECT_EQ(lock().window, explorer);
}

TEST_F(ProtectionScenario, TaskManagerIsRecognisedByItsExactTitleOnly) {
    start({"TaskManager"});
    const WindowId other = world.desktop.createWindow("Windows Task Manager - 2", "TaskManagerWindow");
    tick();
    EXPECT_FALSE(hidden(other));
    const WindowId manager = world.desktop.createWindow("Windows Task Manager", "TaskManagerWindow");
    tick();
    EXPECT_TRUE(hidden(manager));
    EXPECT_EQ(lock().mode, "tm");
    EXPECT_EQ(lock().label, "Windows Task Manager");
}

TEST_F(ProtectionScenario, AnInstallerIsMinimizedAndItsTextsAreCaseSensitive) {
    start({"LockInstall"});
    const WindowId shouting = world.desktop.createWindow("INSTALL", "Wizard");
    tick();
    EXPECT_EQ(lock().mode, "");
    EXPECT_FALSE(world.desktop.isMinimized(shouting));

    const WindowId setup = world.desktop.createWindow("Setup - Example", "Wizard");
    tick();
    EXPECT_TRUE(world.desktop.isMinimized(setup));
    EXPECT_EQ(lock().mode, "ins");
    EXPECT_EQ(lock().label, "Installation Program");
    EXPECT_EQ(lock().window, setup);
}

TEST_F(ProtectionScenario, TheOwnUninstallerAsksOnceAndHidesNothing) {
    start({});
    const WindowId uninstaller = world.desktop.createWindow("Obelon Pro 2011 Uninstall", "Wizard");
    lock().window = uninstaller;
    tick();
    EXPECT_EQ(lock().mode, "un");
    EXPECT_EQ(lock().label, "Uninstall Obelon Pro");
    EXPECT_FALSE(lock().window);
    EXPECT_FALSE(hidden(uninstaller));

    program.app->state().uninstallPermitted = true;
    lock() = {};
    tick();
    EXPECT_EQ(lock().mode, "");
}

TEST_F(ProtectionScenario, NoRuleRunsForTheAdministrator) {
    SetStringValue(world.registry, RootKey::CurrentUser, kSettings, "CurrentUser", "Enabled");
    start({"LockIE", "TaskManager", "LockInstall"});
    const WindowId browser = world.desktop.createWindow("Internet Explorer", "IEFrame");
    const WindowId setup = world.desktop.createWindow("Setup", "Wizard");
    tick();
    EXPECT_FALSE(hidden(browser));
    EXPECT_FALSE(world.desktop.isMinimized(setup));
    EXPECT_EQ(lock().mode, "");
}

TEST_F(ProtectionScenario, RulesThatAreOffLeaveEveryWindowAlone) {
    start({});
    const WindowId editor = world.desktop.createWindow("Registry Editor", "RegEdit_RegEdit");
    world.desktop.createWindow("Internet Explorer", "IEFrame");
    world.desktop.createWindow("Windows Task Manager", "TaskManagerWindow");
    world.desktop.setForeground(editor);
    tick();
    EXPECT_FALSE(hidden(editor));
    EXPECT_EQ(lock().mode, "");
}
