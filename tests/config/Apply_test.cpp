#include <gtest/gtest.h>

#include <algorithm>

#include "common/ConfigSchema.h"
#include "registry/RegistryEdit.h"
#include "tests/support/Accounts.h"
#include "tests/support/RegFileImport.h"
#include "tests/support/RegistryValues.h"
#include "tests/support/RunningProgram.h"

using testsupport::RunningProgram;
using testsupport::startProgram;

namespace {

constexpr const char* kSettings = "Software\\OBP\\Settings";
constexpr const char* kTasks = "Software\\OBP\\Tasks";
constexpr const char* kIgnore = "Software\\OBP\\IgnoreList";
constexpr const char* kSession = "Software\\VB and VBA Program Settings\\obelon\\setting";

// A started program whose configuration window the administrator has unlocked.
class ApplyScenario : public ::testing::Test {
protected:
    void start() {
        program = startProgram(world);
        ASSERT_TRUE(program.running);
        program.openConfigWindow();
    }
    void click(const char* button) { program.clickButton(button); }
    void tick(const char* box) {
        program.clickCheckBox(box);
    }
    void setText(const char* box, const std::string& text) {
        program.run([&] { program.configForm().findControl(box)->setText(text); });
    }
    std::string machine(const char* key, const char* name) {
        return GetStringValue(world.registry, RootKey::LocalMachine, key, name);
    }
    std::vector<std::string> stored(const char* key) {
        auto names = world.registry.valueNames(RootKey::LocalMachine, key);
        std::sort(names.begin(), names.end());
        return names;
    }
    bool messageShown() {
        ui::Form* dialog = program.app->messageDialog().form();
        return dialog && dialog->isVisible();
    }

    sim::SimWorld world;
    RunningProgram program;
};

}  // namespace

TEST_F(ApplyScenario, AShortenedTaskListLeavesOnlyItsOwnSlots) {
    for (int slot = 0; slot < 4; ++slot) {
        SetStringValue(world.registry, RootKey::LocalMachine, kTasks, config::slotName(slot),
                       "Task " + std::to_string(slot) + ",1");
    }
    SetStringValue(world.registry, RootKey::LocalMachine, kTasks, "TASK4", "Task 4,1");  // a slot, in any case
    SetStringValue(world.registry, RootKey::LocalMachine, kTasks, "Task1000", "Stray,1");  // no slot: kept
    start();
    program.run([&] {
        sim::SimListBox& tasks = program.list("lstTasks");
        tasks.removeItem(4);
        tasks.removeItem(2);
        tasks.removeItem(0);
        tasks.setChecked(1, false);
    });
    click("cmdok");
    EXPECT_EQ(stored(kTasks), (std::vector<std::string>{"Task0", "Task1", "Task1000"}));
    EXPECT_EQ(machine(kTasks, "Task0"), "Task 1,1");
    EXPECT_EQ(machine(kTasks, "Task1"), "Task 3,0");
    EXPECT_EQ(program.items("lstTasks"), (std::vector<std::string>{"Task 1", "Task 3"}));
    EXPECT_EQ(program.labelText("cmdcancel"), "Close");
    EXPECT_EQ(world.registry.openKeyCount(), 0);
}

TEST_F(ApplyScenario, TheIgnoreListIsStoredWithoutFlagsAndAnEmptyOneLeavesNoKey) {
    SetStringValue(world.registry, RootKey::LocalMachine, kIgnore, "Task3", "Old");
    start();
    program.run([&] {
        sim::SimListBox& ignore = program.list("lstignore");
        ignore.clear();
        ignore.addItem("Note");
        ignore.addItem("Paint");
    });
    click("cmdok");
    EXPECT_EQ(stored(kIgnore), (std::vector<std::string>{"Task0", "Task1"}));
    EXPECT_EQ(machine(kIgnore, "Task1"), "Paint");

    program.run([&] { program.list("lstignore").clear(); });
    click("cmdok");
    EXPECT_FALSE(world.registry.keyExists(RootKey::LocalMachine, kIgnore));
}

TEST_F(ApplyScenario, TheSessionLimitIsStoredPerAccountWithNothingMeaningZero) {
    start();
    const std::string account = testsupport::accountKey();
    for (const auto& [typed, expected] : std::vector<std::pair<std::string, std::string>>{
             {"", "0"}, {"0", "0"}, {"15", "15"}, {"-5", "-5"}, {"ab", "0"}}) {
        setText("txtrelock", typed);
        click("cmdok");
        EXPECT_EQ(machine(account.c_str(), "timer"), expected) << typed;
    }
}

TEST_F(ApplyScenario, SwitchesAreStoredAsTextButTheRegistryToolsAsANumber) {
    start();
    tick("chkDisableRegistry");
    tick("chkTaskManager1");
    tick("chkHideSM");
    click("cmdok");
    const RegistryValue tools = testsupport::storedValue(world.registry, RootKey::LocalMachine, kSettings,
                                                         "DisableRegistryTools");
    EXPECT_EQ(tools.type, regtype::kDWord);
    EXPECT_EQ(GetDWordValue(world.registry, RootKey::LocalMachine, kSettings, "DisableRegistryTools"), 1);
    EXPECT_EQ(machine(kSettings, "TaskManager"), "1");
    EXPECT_EQ(machine(kSettings, "HideSM"), "1");
    EXPECT_EQ(machine(kSettings, "LockIE"), "0");
    EXPECT_EQ(machine(kSettings, "Tray"), "0");
    EXPECT_EQ(machine(kSettings, "Startup"), "0");
    EXPECT_TRUE(program.app->state().protections.reg);
    EXPECT_TRUE(program.app->state().protections.tm);
    // Apply never touches the password.
    EXPECT_EQ(machine(kSettings, "pwd"), "");
}

TEST_F(ApplyScenario, ApplyDuringATemporaryInternetExplorerUnlockWatchesAgain) {
    start();
    tick("chkLockIE2");
    program.app->state().protections.ie = 2;
    click("cmdok");
    EXPECT_EQ(program.app->state().protections.ie, 1);
}

// Started at logon under UAC, even an administrator's instance is refused every machine-wide write. Apply then
// offers to save with administrator rights; declined, at its question or at the system's prompt, nothing is stored
// and nothing the user changed is lost. Accepted, reg.exe imports the file the program wrote and read back itself.
TEST_F(ApplyScenario, AStandardUserIsOfferedToSaveWithAdministratorRightsAndLosesNothingByDeclining) {
    start();
    world.registry.setMachineWideWritesDenied(true);
    tick("chkTaskManager1");
    setText("txtrelock", "30");
    sim::SimShell& shell = program.process->shell();
    sim::SimProgramRunner& programs = program.process->programs();
    const auto declinedLeavesAllAsItWas = [&](const char* how) {
        EXPECT_NE(program.app->state().messageText.find("Nothing was saved"), std::string::npos) << how;
        EXPECT_EQ(machine(kSettings, "TaskManager"), "") << how;
        EXPECT_TRUE(program.checkBox("chkTaskManager1").isChecked()) << how;
        EXPECT_EQ(program.configForm().findControl("txtrelock")->text(), "30") << how;
        EXPECT_FALSE(program.app->state().protections.tm) << how;
        EXPECT_EQ(program.labelText("cmdcancel"), "Cancel") << how;
    };
    click("cmdok");
    ASSERT_EQ(shell.boxes().size(), 1u);
    EXPECT_EQ(shell.boxes()[0].buttons, MessageBoxButtons::YesNo);
    EXPECT_NE(shell.boxes()[0].text.find("administrator"), std::string::npos);
    EXPECT_TRUE(programs.started().empty());
    declinedLeavesAllAsItWas("No to the question");

    shell.answerNext(MessageBoxAnswer::Yes);
    programs.declineNextElevation();
    click("cmdok");
    declinedLeavesAllAsItWas("No at the system's prompt");

    std::vector<std::string> imported;
    testsupport::playElevatedRegImports(*program.process, world.registry, imported);
    shell.answerNext(MessageBoxAnswer::Yes);
    click("cmdok");
    ASSERT_EQ(imported.size(), 1u);
    EXPECT_TRUE(programs.started().back().elevated);
    EXPECT_EQ(programs.started().back().commandLine, "reg.exe import \"" + imported[0] + "\"");
    EXPECT_EQ(imported[0].rfind("C:\\Users\\user\\AppData\\Local\\Temp\\", 0), 0u);
    EXPECT_FALSE(program.process->files().exists(imported[0]));
    EXPECT_EQ(machine(kSettings, "TaskManager"), "1");
    EXPECT_EQ(machine(testsupport::accountKey().c_str(), "timer"), "30");
    EXPECT_EQ(stored(kTasks).size(), 29u);
    EXPECT_TRUE(program.app->state().protections.tm);
    EXPECT_EQ(program.labelText("cmdcancel"), "Close");
    // The user's own hive holds nothing of it.
    EXPECT_EQ(GetStringValue(world.registry, RootKey::CurrentUser, kSession, "timer"), "");
}

TEST_F(ApplyScenario, AnyOtherFailureStopsApplyAtThatStepWithItsDescription) {
    start();
    tick("chkTaskManager1");
    world.registry.failNext(sim::SimRegistry::Op::Set, 1009);  // the registry is damaged
    click("cmdok");
    EXPECT_TRUE(messageShown());
    EXPECT_EQ(program.app->state().messageText, "Error: \"The configuration registry database is corrupt.\"");
    EXPECT_EQ(machine(kSettings, "Tray"), "");
    EXPECT_EQ(machine(kSettings, "TaskManager"), "");
    EXPECT_EQ(program.labelText("cmdcancel"), "Cancel");  // no reload, no "Close"
}

TEST(AdministratorBox, ExemptsOnlyThisUserAndSaysSoOnce) {
    sim::SimWorld world;
    RunningProgram program = startProgram(world);
    ASSERT_TRUE(program.running);
    EXPECT_EQ(program.app->state().messageText, "");
    program.openConfigWindow();
    program.clickCheckBox("chkAdmin");
    EXPECT_EQ(GetStringValue(world.registry, RootKey::LocalMachine, testsupport::accountKey(), "CurrentUser"),
              "Enabled");
    EXPECT_EQ(GetStringValue(world.registry, RootKey::LocalMachine, kSettings, "CurrentUser"), "");
    EXPECT_EQ(GetStringValue(world.registry, RootKey::CurrentUser, kSettings, "CurrentUser"), "");
    EXPECT_TRUE(program.app->state().adminExemption);
    EXPECT_EQ(program.app->state().messageText,
              "As Administrator Obelon Pro will be disabled on this user account. All other users remain with "
              "restrictions enabled.");
    const auto icon = program.process->shell().trayIcon(program.configForm().id(), 1);
    ASSERT_TRUE(icon.has_value());
    EXPECT_EQ(icon->tip, "Obelon Pro - Administrator");

    program.app->state().messageText.clear();
    program.clickCheckBox("chkAdmin");
    EXPECT_EQ(GetStringValue(world.registry, RootKey::LocalMachine, testsupport::accountKey(), "CurrentUser"),
              "Disabled");
    EXPECT_FALSE(program.app->state().adminExemption);
    EXPECT_EQ(program.app->state().messageText, "");

    // A standard user is offered administrator rights; declined, the account stays restricted and the box says so.
    world.registry.setMachineWideWritesDenied(true);
    program.clickCheckBox("chkAdmin");
    EXPECT_EQ(program.process->shell().boxes().back().buttons, MessageBoxButtons::YesNo);
    EXPECT_NE(program.app->state().messageText.find("was not saved"), std::string::npos);
    EXPECT_FALSE(program.app->state().adminExemption);
    EXPECT_FALSE(program.checkBox("chkAdmin").isChecked());
    EXPECT_EQ(GetStringValue(world.registry, RootKey::LocalMachine, testsupport::accountKey(), "CurrentUser"),
              "Disabled");
}

// A load that finds the exemption changed outside the program only shows it: no store, no message, and no second
// load inside the first, which would add every task again.
TEST(AdministratorBox, ALoadSettingTheBoxStoresNothingSaysNothingAndLoadsOnce) {
    sim::SimWorld world;
    SetStringValue(world.registry, RootKey::LocalMachine, testsupport::accountKey(), "CurrentUser", "Enabled");
    SetStringValue(world.registry, RootKey::LocalMachine, kTasks, "Task0", "Notepad,1");
    RunningProgram program = startProgram(world);
    ASSERT_TRUE(program.running);
    EXPECT_TRUE(program.checkBox("chkAdmin").isChecked());
    EXPECT_EQ(program.app->state().messageText, "");

    SetStringValue(world.registry, RootKey::LocalMachine, testsupport::accountKey(), "CurrentUser", "Whatever");
    program.reload();
    EXPECT_FALSE(program.checkBox("chkAdmin").isChecked());
    EXPECT_EQ(GetStringValue(world.registry, RootKey::LocalMachine, testsupport::accountKey(), "CurrentUser"),
              "Whatever");
    EXPECT_EQ(program.items("lstTasks"), std::vector<std::string>{"Notepad"});
    SetStringValue(world.registry, RootKey::LocalMachine, testsupport::accountKey(), "CurrentUser", "Enabled");
    program.reload();
    EXPECT_TRUE(program.checkBox("chkAdmin").isChecked());
    EXPECT_EQ(program.app->state().messageText, "");
    EXPECT_EQ(program.items("lstTasks"), std::vector<std::string>{"Notepad"});
}

// Apply, a load, the box and the transfers each let events run; none may run inside another, and a load asked
// for meanwhile comes after. Before, an Apply pressed during an import ran inside it, and an Apply pressed right
// after OK in the ignore-list editor stored the ignore list the editor had just replaced.
TEST_F(ApplyScenario, OneChangeAtATimeAndNothingTheUserSavedOrTickedIsLost) {
    for (int slot = 0; slot < 6; ++slot) {
        SetStringValue(world.registry, RootKey::LocalMachine, kTasks, config::slotName(slot),
                       "Task " + std::to_string(slot) + (slot % 2 == 0 ? ",1" : ",0"));
    }
    SetStringValue(world.registry, RootKey::LocalMachine, kIgnore, "Task0", "Old");
    start();
    program.run([&] { program.list("lstTasks").setChecked(0, false); });  // not applied yet
    program.clickButton("cmdIgnore");
    ui::Form* editor = program.process->toolkit().findForm("frmignore");
    ASSERT_NE(editor, nullptr);
    program.run([&] {
        sim::control<sim::SimTextBox>(*editor, "Text1")->type("New");
        sim::control<sim::SimButton>(*editor, "cmdOK")->click();
    });
    click("cmdok");  // before the watch's next tick
    EXPECT_EQ(stored(kTasks).size(), 6u);
    EXPECT_EQ(machine(kTasks, "Task0"), "Task 0,0");
    EXPECT_EQ(machine(kIgnore, "Task0"), "Old");
    EXPECT_EQ(machine(kIgnore, "Task1"), "New");
    world.advance(1000);  // the reload the editor asked for
    EXPECT_EQ(program.items("lstignore"), (std::vector<std::string>{"Old", "New"}));
    EXPECT_EQ(program.checks("lstTasks"), (std::vector<bool>{false, false, true, false, true, false}));

    // A reload the watch asks for while Apply stores the lists waits for it; a second press meets a greyed button.
    bool applyReachableDuringApply = true;
    world.clock.post(program.process->id(), [&] {
        applyReachableDuringApply = program.configForm().findControl("cmdok")->isEnabled();
        program.app->configWindow().GetConfig();
    });
    click("cmdok");
    EXPECT_FALSE(applyReachableDuringApply);
    EXPECT_EQ(program.items("lstTasks").size(), 6u);
    EXPECT_EQ(program.items("lstignore"), (std::vector<std::string>{"Old", "New"}));
    EXPECT_EQ(stored(kTasks).size(), 6u);
    EXPECT_EQ(stored(kIgnore).size(), 2u);

    // Apply pressed while a reload runs is out of reach: nothing is stored from a half-rebuilt list.
    program.run([&] { program.list("lstTasks").setChecked(1, true); });
    world.clock.post(program.process->id(), [&] {
        applyReachableDuringApply = program.configForm().findControl("cmdok")->isEnabled();
    });
    program.reload();
    EXPECT_FALSE(applyReachableDuringApply);
    EXPECT_EQ(machine(kTasks, "Task1"), "Task 1,0");
    EXPECT_EQ(program.items("lstTasks").size(), 6u);

    // While reg.exe imports, the window's events run: Apply, the box and a load from outside must all wait.
    program.process->files().makeFolder(program.app->state().programFolder);
    program.process->files().writeFile(
        "D:\\x\\obelon7.reg", "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\OBP\\Tasks]\n\"Task6\"=\"Imported,1\"\n");
    bool applyReachable = true;
    bool boxReachable = true;
    std::vector<std::string> tasksDuringImport;
    program.process->programs().respondWith([&](const StartProgramArgs& args) {
        sim::ScriptedProgram reg;
        if (args.commandLine.find(" import ") == std::string::npos) return reg;
        reg.work = [&] {
            SetStringValue(world.registry, RootKey::LocalMachine, kTasks, "Task6", "Imported,1");
            applyReachable = program.configForm().findControl("cmdok")->isEnabled();
            boxReachable = program.configForm().findControl("chkAdmin")->isEnabled();
            program.app->configWindow().GetConfig();
            tasksDuringImport = program.items("lstTasks");
        };
        return reg;
    });
    program.process->files().answerNextBrowse("D:\\x\\obelon7.reg");
    program.clickButton("cmdImport");
    EXPECT_FALSE(applyReachable);
    EXPECT_FALSE(boxReachable);
    EXPECT_EQ(tasksDuringImport.size(), 6u);  // the load waited for the import
    EXPECT_EQ(program.items("lstTasks").size(), 7u);
    EXPECT_TRUE(program.configForm().findControl("cmdok")->isEnabled());
    EXPECT_TRUE(program.configForm().findControl("chkAdmin")->isEnabled());
}
