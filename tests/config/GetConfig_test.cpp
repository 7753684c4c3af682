#include <gtest/gtest.h>

#include "common/AccessPassword.h"
#include "common/ConfigSchema.h"
#include "registry/RegistryEdit.h"
#include "tests/support/Accounts.h"
#include "tests/support/RegistryValues.h"
#include "tests/support/RunningProgram.h"

using testsupport::RunningProgram;
using testsupport::startProgram;

namespace {

constexpr const char* kSettings = "Software\\OBP\\Settings";
constexpr const char* kTasks = "Software\\OBP\\Tasks";
constexpr const char* kIgnore = "Software\\OBP\\IgnoreList";

void storeSetting(sim::SimWorld& world, const char* name, const char* text) {
    SetStringValue(world.registry, RootKey::LocalMachine, kSettings, name, text);
}

void storeTask(sim::SimWorld& world, int slot, const std::string& stored) {
    SetStringValue(world.registry, RootKey::LocalMachine, kTasks, config::slotName(slot), stored);
}

}  // namespace

TEST(LoadFromEmptyRegistry, OffersThePresetTasksUncheckedAndNoProtection) {
    sim::SimWorld world;
    RunningProgram program = startProgram(world);
    ASSERT_TRUE(program.running);

    const auto tasks = program.items("lstTasks");
    ASSERT_EQ(tasks.size(), 29u);
    EXPECT_EQ(tasks.front(), "Inbox - Windows Live Mail");
    EXPECT_EQ(tasks[7], "Notepad");
    EXPECT_EQ(tasks.back(), "Pictures");
    for (bool checked : program.checks("lstTasks")) EXPECT_FALSE(checked);
    EXPECT_EQ(program.list("lstTasks").selectedIndex(), 0);
    EXPECT_EQ(program.labelText("lblTaskCount"), "Tasks Locked: 0");
    EXPECT_TRUE(program.items("lstignore").empty());

    const ProgramState& state = program.app->state();
    EXPECT_EQ(state.accessPassword, "bluejay");
    EXPECT_FALSE(state.adminExemption);
    EXPECT_FALSE(state.protections.reg || state.protections.tm || state.protections.ff || state.protections.ex ||
                 state.protections.ins);
    EXPECT_EQ(state.protections.ie, 0);
    EXPECT_FALSE(state.loadingGuard);
    const auto icon = program.process->shell().trayIcon(program.configForm().id(), 1);
    ASSERT_TRUE(icon.has_value());
    EXPECT_EQ(icon->tip, "Obelon Pro - Standard User");
}

TEST(LoadStoredTasks, TakesTheLastCharacterAsTheCheckAndKeepsCommasInTheText) {
    sim::SimWorld world;
    storeTask(world, 0, "Notepad,1");
    storeTask(world, 1, "Paint,0");
    storeTask(world, 2, "a,b,1");
    storeTask(world, 3, "x");       // too short to be a task
    storeTask(world, 4, ",1");      // no text: no entry
    storeTask(world, 5, "Calc,7");  // a flag that is neither: unchecked
    storeTask(world, 999, "Last,1");
    RunningProgram program = startProgram(world);
    ASSERT_TRUE(program.running);

    EXPECT_EQ(program.items("lstTasks"), (std::vector<std::string>{"Notepad", "Paint", "a,b", "Calc", "Last"}));
    EXPECT_EQ(program.checks("lstTasks"), (std::vector<bool>{true, false, true, false, true}));
    EXPECT_EQ(program.labelText("lblTaskCount"), "Tasks Locked: 3");
}

// The slots are read in one pass over the key. A slot's name matches in any case, as the registry matches it (a
// file imported by hand may say "TASK4"), and keeps its place; other names are no slots. A key that cannot be
// listed is read slot by slot.
TEST(LoadStoredTasks, SlotsNamedInAnyCaseKeepTheirPlaceAndAListThatCannotBeListedIsReadSlotBySlot) {
    sim::SimWorld world;
    SetStringValue(world.registry, RootKey::LocalMachine, kTasks, "TASK4", "Fourth,1");
    storeTask(world, 2, "Second,0");
    SetStringValue(world.registry, RootKey::LocalMachine, kTasks, "task10", "Tenth,1");
    for (const char* noSlot : {"Task04", "Task1000", "Task-1", "Tasks", "Task"}) {
        SetStringValue(world.registry, RootKey::LocalMachine, kTasks, noSlot, "Stray,1");
    }
    SetStringValue(world.registry, RootKey::LocalMachine, kIgnore, "tAsK1", "Note");
    RunningProgram program = startProgram(world);
    ASSERT_TRUE(program.running);
    EXPECT_EQ(program.items("lstTasks"), (std::vector<std::string>{"Second", "Fourth", "Tenth"}));
    EXPECT_EQ(program.items("lstignore"), (std::vector<std::string>{"Note"}));

    world.registry.failNext(sim::SimRegistry::Op::Query, errc::kAccessDenied);
    program.reload();
    EXPECT_EQ(program.items("lstTasks"), (std::vector<std::string>{"Second", "Fourth", "Tenth"}));
}

TEST(LoadStoredTasks, AReloadRebuildsTheListsInsteadOfAddingToThem) {
    sim::SimWorld world;
    storeTask(world, 0, "Notepad,1");
    SetStringValue(world.registry, RootKey::LocalMachine, kIgnore, "Task0", "Note");
    SetStringValue(world.registry, RootKey::LocalMachine, kIgnore, "Task7", "Pad");
    RunningProgram program = startProgram(world);
    ASSERT_TRUE(program.running);
    program.reload();
    EXPECT_EQ(program.items("lstTasks"), (std::vector<std::string>{"Notepad"}));
    EXPECT_EQ(program.items("lstignore"), (std::vector<std::string>{"Note", "Pad"}));
    EXPECT_EQ(world.registry.openKeyCount(), 0);  // every key a load opens is closed again

    // The window stays responsive: what waits when a load begins runs while the lists are being rebuilt. The lists
    // are drawn again once they are whole.
    std::vector<size_t> seenDuringLoad;
    auto& ignore = program.app->configWindow().form().control<ui::ListBox>("lstignore");
    bool pausedDuringLoad = false;
    program.run([&] {
        for (int i = 0; i < 2; ++i) {
            world.clock.post(program.process->id(), [&] {
                seenDuringLoad.push_back(program.items("lstTasks").size());
                pausedDuringLoad = ignore.isDrawingPaused();
            });
        }
        program.app->configWindow().GetConfig();
    });
    EXPECT_EQ(seenDuringLoad, (std::vector<size_t>{0, 0}));
    EXPECT_TRUE(pausedDuringLoad);
    EXPECT_FALSE(ignore.isDrawingPaused());
}

TEST(LoadSwitches, OnlyTheExactTextOneOrTheNumberOneSwitchesOn) {
    sim::SimWorld world;
    storeSetting(world, "LockIE", "1");
    storeSetting(world, "chkLock3Party", "1");
    storeSetting(world, "LockEx", "yes");
    storeSetting(world, "TaskManager", " 1");
    storeSetting(world, "LockInstall", "1");
    // Stored as text, where the number is expected: off.
    storeSetting(world, "DisableRegistryTools", "1");
    RunningProgram program = startProgram(world);
    ASSERT_TRUE(program.running);

    const ProtectionSwitches& on = program.app->state().protections;
    EXPECT_EQ(on.ie, 1);
    EXPECT_TRUE(on.ff);
    EXPECT_FALSE(on.ex);
    EXPECT_FALSE(on.tm);
    EXPECT_TRUE(on.ins);
    EXPECT_FALSE(on.reg);
    EXPECT_TRUE(program.checkBox("chkLockIE2").isChecked());
    EXPECT_TRUE(program.checkBox("chkLock3Party").isChecked());
    EXPECT_FALSE(program.checkBox("chkLockEx1").isChecked());
    EXPECT_FALSE(program.checkBox("chkTaskManager1").isChecked());
    EXPECT_TRUE(program.checkBox("chklockinstall1").isChecked());
    EXPECT_FALSE(program.checkBox("chkDisableRegistry").isChecked());

    SetDWordValue(world.registry, RootKey::LocalMachine, kSettings, "DisableRegistryTools", 1);
    program.reload();
    EXPECT_TRUE(program.app->state().protections.reg);
    EXPECT_TRUE(program.checkBox("chkDisableRegistry").isChecked());
}

TEST(LoadSwitches, AReloadEndsATemporaryInternetExplorerUnlock) {
    sim::SimWorld world;
    storeSetting(world, "LockIE", "1");
    RunningProgram program = startProgram(world);
    ASSERT_TRUE(program.running);
    program.app->state().protections.ie = 2;
    program.app->state().protections.tm = true;
    program.reload();
    EXPECT_EQ(program.app->state().protections.ie, 1);
    EXPECT_FALSE(program.app->state().protections.tm);
}

// Plain text from an older installation is readable by every user: the first load that can write replaces it by
// its hash, which still takes the same password, in any case of its ASCII letters.
TEST(LoadPassword, StoredPlainTextIsReplacedByItsHashAndAHashIsKeptAsStored) {
    sim::SimWorld world;
    storeSetting(world, "pwd", "SeCrEt\xC3\x84");
    world.registry.setMachineWideWritesDenied(true);
    RunningProgram program = startProgram(world);
    ASSERT_TRUE(program.running);
    // A standard user's load cannot write: the text is kept, lower-cased in its ASCII letters only.
    EXPECT_EQ(program.app->state().accessPassword, "secret\xC3\x84");
    world.registry.setMachineWideWritesDenied(false);
    program.stop();
    program = startProgram(world);
    const std::string migrated = GetStringValue(world.registry, RootKey::LocalMachine, kSettings, "pwd");
    EXPECT_EQ(migrated.rfind("pbkdf2-sha256$", 0), 0u);
    EXPECT_EQ(program.app->state().accessPassword, migrated);
    EXPECT_TRUE(accessPasswordMatches(program.process->platform().crypto, migrated, "secret\xC3\x84"));

    const std::string hash = "pbkdf2-sha256$600000$QUJDREVGR0hJSktMTU5PUA==$Zm9vYmFyZm9vYmFyZm9vYmFyZm9vYmFyZm9vYmE=";
    storeSetting(world, "pwd", hash.c_str());
    program.reload();
    EXPECT_EQ(program.app->state().accessPassword, hash);
}

TEST(LoadTrayIcon, TheAdministratorExemptionAndTheNoIconChoiceShowOnTheIcon) {
    sim::SimWorld world;
    SetStringValue(world.registry, RootKey::LocalMachine, testsupport::accountKey(), "CurrentUser", "Enabled");
    RunningProgram program = startProgram(world);
    ASSERT_TRUE(program.running);
    const WindowId owner = program.configForm().id();
    EXPECT_TRUE(program.app->state().adminExemption);
    EXPECT_TRUE(program.checkBox("chkAdmin").isChecked());
    ASSERT_TRUE(program.process->shell().trayIcon(owner, 1).has_value());
    EXPECT_EQ(program.process->shell().trayIcon(owner, 1)->tip, "Obelon Pro - Administrator");

    storeSetting(world, "Tray", "0");
    program.reload();
    EXPECT_TRUE(program.process->shell().trayIcon(owner, 1).has_value());
    storeSetting(world, "Tray", "1");
    program.reload();
    EXPECT_FALSE(program.process->shell().trayIcon(owner, 1).has_value());
    EXPECT_TRUE(program.checkBox("chkTray").isChecked());
}

TEST(LoadTaskbar, HidesAndShowsTheTaskbarAndTheStartButton) {
    sim::SimWorld world;
    const WindowId taskbar = world.desktop.createWindow("", "Shell_TrayWnd");
    const WindowId start = world.desktop.createWindow("Start", "Button");
    storeSetting(world, "HideSM", "1");
    RunningProgram program = startProgram(world);
    ASSERT_TRUE(program.running);
    EXPECT_FALSE(world.desktop.isVisible(taskbar));
    EXPECT_FALSE(world.desktop.isVisible(start));
    EXPECT_TRUE(program.checkBox("chkHideSM").isChecked());

    storeSetting(world, "HideSM", "0");
    program.reload();
    EXPECT_TRUE(world.desktop.isVisible(taskbar));
    EXPECT_TRUE(world.desktop.isVisible(start));
}

TEST(StartupLock, TheStoredSettingLocksTheDesktopOnceAtStart) {
    sim::SimWorld world;
    storeSetting(world, "Startup", "1");
    RunningProgram program = startProgram(world);
    ASSERT_TRUE(program.running);
    EXPECT_TRUE(program.checkBox("chkStartup").isChecked());
    // The setting lives in the registry and the policy template only: the box stays out of sight.
    program.configForm().control<ui::TabStrip>("SmartTab1").selectPage(4);
    EXPECT_FALSE(program.checkBox("chkStartup").isVisible());
    EXPECT_TRUE(program.checkBox("chkHideSM").isVisible());
    ASSERT_TRUE(program.openLock());
    EXPECT_EQ(program.openLock()->label, "Microsoft Windows\xC2\xAE");
    EXPECT_TRUE(program.openLock()->coversDesktop);
    EXPECT_TRUE(program.app->state().startupLockDone);

    program.answerPassword("bluejay");
    program.cancelPasswordDialogs();  // the configuration's own, which waited behind it
    program.reload();
    EXPECT_FALSE(program.openLock());
}

TEST(StartupLock, AnotherStoredTextDecidesNothing) {
    sim::SimWorld world;
    storeSetting(world, "Startup", "0");
    RunningProgram program = startProgram(world);
    ASSERT_TRUE(program.running);
    EXPECT_FALSE(program.checkBox("chkStartup").isChecked());
    ASSERT_TRUE(program.openLock());
    EXPECT_EQ(program.openLock()->mode, LockMode::Configuration);
    EXPECT_EQ(program.waitingLocks(), 0u);
}
