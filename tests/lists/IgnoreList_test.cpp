#include <gtest/gtest.h>

#include <algorithm>

#include "lists/IgnoreListForm.h"
#include "registry/RegistryEdit.h"
#include "tests/support/RunningProgram.h"

using testsupport::RunningProgram;
using testsupport::startProgram;

namespace {

constexpr const char* kIgnore = "Software\\OBP\\IgnoreList";

// The administrator has unlocked the configuration window and opened "Ignored Tasks List...".
class IgnoreListEditor : public ::testing::Test {
protected:
    void start() {
        program = startProgram(world);
        ASSERT_TRUE(program.running);
        program.openConfigWindow();
        open();
    }
    void open() {
        program.clickButton("cmdIgnore");
        ASSERT_NE(editor(), nullptr);
    }
    ui::Form* editor() { return program.process->toolkit().findForm("frmignore"); }
    sim::SimListBox& entries() { return *sim::control<sim::SimListBox>(*editor(), "List1"); }
    void type(const std::string& text) {
        program.run([&] { sim::control<sim::SimTextBox>(*editor(), "Text1")->type(text); });
    }
    void press(const char* button) {
        program.run([&] { sim::control<sim::SimButton>(*editor(), button)->click(); });
    }
    void store(int slot, const std::string& text) {
        SetStringValue(world.registry, RootKey::LocalMachine, kIgnore, "Task" + std::to_string(slot), text);
    }
    std::vector<std::string> storedNames() {
        auto names = world.registry.valueNames(RootKey::LocalMachine, kIgnore);
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string storedText(int slot) {
        return GetStringValue(world.registry, RootKey::LocalMachine, kIgnore, "Task" + std::to_string(slot));
    }

    sim::SimWorld world;
    RunningProgram program;
};

}  // namespace

TEST_F(IgnoreListEditor, OkStoresTheEntriesWithoutGapsAndTheWatchReloads) {
    store(0, "Note");
    store(2, "Paint");
    start();
    EXPECT_EQ(entries().items(), (std::vector<std::string>{"Note", "Paint"}));
    EXPECT_FALSE(program.configForm().isEnabled());
    type("Calc");
    press("cmdOK");
    EXPECT_EQ(storedNames(), (std::vector<std::string>{"Task0", "Task1", "Task2"}));
    EXPECT_EQ(storedText(1), "Paint");
    EXPECT_EQ(storedText(2), "Calc");
    EXPECT_TRUE(program.configForm().isEnabled());
    EXPECT_FALSE(editor() && editor()->isVisible());
    EXPECT_TRUE(program.app->state().reloadRequest);
    world.advance(1000);
    EXPECT_FALSE(program.app->state().reloadRequest);
    EXPECT_EQ(program.items("lstignore"), (std::vector<std::string>{"Note", "Paint", "Calc"}));
}

TEST_F(IgnoreListEditor, OkWithNothingTypedStillSavesAndTheReloadReplacesUnappliedEdits) {
    store(0, "Note");
    SetStringValue(world.registry, RootKey::LocalMachine, "Software\\OBP\\Tasks", "Task0", "Notepad,1");
    start();
    program.run([&] { program.list("lstTasks").setChecked(0, false); });
    press("cmdOK");
    EXPECT_EQ(storedNames(), (std::vector<std::string>{"Task0"}));
    world.advance(1000);
    EXPECT_EQ(program.checks("lstTasks"), (std::vector<bool>{true}));
}

TEST_F(IgnoreListEditor, DeletingTheLastEntryLeavesAnEmptyKeyAndOkOnNothingLeavesNone) {
    store(0, "Note");
    start();
    program.run([&] { entries().clickItem(0); });
    press("CancelButton");
    EXPECT_TRUE(world.registry.keyExists(RootKey::LocalMachine, kIgnore));
    EXPECT_TRUE(storedNames().empty());
    EXPECT_TRUE(program.app->state().reloadRequest);
    ASSERT_TRUE(editor() && editor()->isVisible());  // Delete leaves the window open
    press("cmdOK");
    EXPECT_FALSE(world.registry.keyExists(RootKey::LocalMachine, kIgnore));
}

TEST_F(IgnoreListEditor, DeleteWithNothingSelectedChangesNothing) {
    store(0, "Note");
    start();
    program.run([&] { entries().setSelectedIndex(-1); });
    press("CancelButton");
    EXPECT_EQ(entries().items(), (std::vector<std::string>{"Note"}));
    EXPECT_FALSE(program.app->state().reloadRequest);
}

TEST_F(IgnoreListEditor, TheSameTextTwiceIsStoredTwiceButBlanksAloneNot) {
    start();
    type("Note");
    press("cmdOK");
    open();
    type("Note");
    press("cmdOK");
    EXPECT_EQ(storedNames(), (std::vector<std::string>{"Task0", "Task1"}));
    EXPECT_EQ(storedText(1), "Note");

    // Blanks alone occur in nearly every title: refused with a word, nothing stored, the window stays.
    open();
    type(" \t ");
    press("cmdOK");
    const auto& boxes = program.process->shell().boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("only of blanks"), std::string::npos);
    EXPECT_EQ(storedNames(), (std::vector<std::string>{"Task0", "Task1"}));
    EXPECT_TRUE(editor() && editor()->isVisible());

    // A standard user's refused write is never shown as saved: declined, the window stays as it was.
    world.registry.setMachineWideWritesDenied(true);
    type("Calc");
    press("cmdOK");
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[1].buttons, MessageBoxButtons::YesNo);
    EXPECT_NE(boxes[2].text.find("was not saved"), std::string::npos);
    EXPECT_EQ(storedNames(), (std::vector<std::string>{"Task0", "Task1"}));
    EXPECT_EQ(entries().items(), (std::vector<std::string>{"Note", "Note"}));
    EXPECT_TRUE(editor() && editor()->isVisible());
}

TEST_F(IgnoreListEditor, CloseAndTheTitleBarSaveNothingAndGiveTheWindowBack) {
    store(0, "Note");
    start();
    type("Typed but not confirmed");
    press("OKButton");
    EXPECT_TRUE(program.configForm().isEnabled());
    EXPECT_EQ(storedNames(), (std::vector<std::string>{"Task0"}));
    EXPECT_FALSE(program.app->state().reloadRequest);

    open();
    EXPECT_EQ(sim::control<sim::SimTextBox>(*editor(), "Text1")->text(), "");
    EXPECT_FALSE(program.configForm().isEnabled());
    program.run([&] { sim::as<sim::SimForm>(*editor()).clickClose(); });
    EXPECT_TRUE(program.configForm().isEnabled());
}

TEST_F(IgnoreListEditor, AnEntryTakesEffectAtTheNextTick) {
    SetStringValue(world.registry, RootKey::LocalMachine, "Software\\OBP\\Tasks", "Task0", "Notepad,1");
    start();
    type("Note");
    press("cmdOK");
    const WindowId notepad = world.desktop.createWindow("Untitled - Notepad", "Notepad");
    world.advance(1000);
    EXPECT_EQ(world.desktop.windowText(notepad), "Untitled - Notepad");
    EXPECT_TRUE(world.desktop.isVisible(notepad));
}
