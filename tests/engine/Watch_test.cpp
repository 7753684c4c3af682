#include <gtest/gtest.h>

#include "common/ConfigSchema.h"
#include "registry/RegistryEdit.h"
#include "tests/support/RunningProgram.h"

using testsupport::RunningProgram;
using testsupport::startProgram;

namespace {

constexpr const char* kTasks = "Software\\OBP\\Tasks";

// A started program whose stored task list is the given one, each entry "text,flag".
class WatchScenario : public ::testing::Test {
protected:
    void start(const std::vector<std::string>& storedTasks) {
        for (size_t slot = 0; slot < storedTasks.size(); ++slot) {
            SetStringValue(world.registry, RootKey::LocalMachine, kTasks, config::slotName(static_cast<int>(slot)),
                           storedTasks[slot]);
        }
        program = startProgram(world);
        ASSERT_TRUE(program.running);
        program.app->state().lock = {};
    }
    void tick() { world.advance(1000); }
    bool isLocked(WindowId window) {
        return world.desktop.windowText(window) == "###" && !world.desktop.isVisible(window);
    }
    void allow(const std::string& text) {
        program.run([&] { program.app->configWindow().allowList().addItem(text); });
    }
    LockRecord& lock() { return program.app->state().lock; }

    sim::SimWorld world;
    RunningProgram program;
};

}  // namespace

TEST_F(WatchScenario, ACheckedTaskInTheTitleHidesTheWindowBehindThePassword) {
    start({"Notepad,1"});
    const WindowId notepad = world.desktop.createWindow("Untitled - Notepad", "Notepad");
    tick();
    EXPECT_TRUE(isLocked(notepad));
    EXPECT_EQ(lock().mode, "app");
    EXPECT_EQ(lock().label, "Notepad");
    EXPECT_EQ(lock().windowClass, "Notepad");
    EXPECT_EQ(lock().window, notepad);
}

TEST_F(WatchScenario, MatchingIsCaseSensitiveAndUncheckedEntriesNeverLock) {
    start({"notepad,1", "Notepad,0"});
    const WindowId notepad = world.desktop.createWindow("Untitled - Notepad", "Notepad");
    tick();
    tick();
    EXPECT_FALSE(isLocked(notepad));
    EXPECT_EQ(world.desktop.windowText(notepad), "Untitled - Notepad");
    EXPECT_EQ(lock().mode, "");
}

TEST_F(WatchScenario, TwoMatchingEntriesLockTwiceAndTheLabelNamesTheLast) {
    start({"Internet,1", "Explorer,1"});
    const WindowId browser = world.desktop.createWindow("Internet Explorer", "IEFrame");
    tick();
    EXPECT_TRUE(isLocked(browser));
    EXPECT_EQ(lock().label, "Explorer");
}

TEST_F(WatchScenario, AnAllowedClassIsLeftAloneUntilAllItsWindowsHaveClosed) {
    start({"Notepad,1"});
    allow("Notepad");
    const WindowId first = world.desktop.createWindow("Untitled - Notepad", "Notepad");
    tick();
    const WindowId second = world.desktop.createWindow("notes.txt - Notepad", "Notepad");
    tick();
    EXPECT_FALSE(isLocked(first));
    EXPECT_FALSE(isLocked(second));

    world.desktop.destroyWindow(first);
    tick();
    EXPECT_EQ(program.items("lstAllow"), (std::vector<std::string>{"Notepad"}));  // one window of it is left
    world.desktop.destroyWindow(second);
    tick();
    EXPECT_TRUE(program.items("lstAllow").empty());
    const WindowId third = world.desktop.createWindow("Untitled - Notepad", "Notepad");
    tick();
    EXPECT_TRUE(isLocked(third));
}

TEST_F(WatchScenario, AnAllowEntryEqualToTheTitleExemptsToo) {
    start({"Notepad,1"});
    allow("Untitled - Notepad");
    world.desktop.createWindow("", "Untitled - Notepad");  // keeps the entry from being cleaned up
    const WindowId notepad = world.desktop.createWindow("Untitled - Notepad", "Notepad");
    tick();
    EXPECT_FALSE(isLocked(notepad));
}

TEST_F(WatchScenario, VanishedAllowClassesLeaveOnePerTick) {
    start({"Notepad,1"});
    allow("GoneA");
    allow("GoneB");
    allow("GoneC");
    tick();
    EXPECT_EQ(program.items("lstAllow").size(), 2u);
    tick();
    EXPECT_EQ(program.items("lstAllow").size(), 1u);
    tick();
    EXPECT_TRUE(program.items("lstAllow").empty());
}

TEST_F(WatchScenario, AnIgnoreEntryInsideTheTaskTextExemptsIt) {
    SetStringValue(world.registry, RootKey::LocalMachine, "Software\\OBP\\IgnoreList", "Task0", "Note");
    start({"Notepad,1", "Paint,1"});
    const WindowId notepad = world.desktop.createWindow("Untitled - Notepad", "Notepad");
    tick();
    EXPECT_FALSE(isLocked(notepad));
    // "Note" does not occur in "Paint", whatever the window's title says.
    const WindowId paint = world.desktop.createWindow("Note - Paint", "MSPaintApp");
    tick();
    EXPECT_TRUE(isLocked(paint));
    EXPECT_EQ(lock().label, "Paint");
}

TEST_F(WatchScenario, TheAdministratorIsExemptButIgnoreListReloadsStillHappen) {
    SetStringValue(world.registry, RootKey::CurrentUser, "Software\\OBP\\Settings", "CurrentUser", "Enabled");
    start({"Notepad,1"});
    const WindowId notepad = world.desktop.createWindow("Untitled - Notepad", "Notepad");
    SetStringValue(world.registry, RootKey::LocalMachine, "Software\\OBP\\IgnoreList", "Task0", "Paint");
    program.app->state().reloadRequest = true;
    tick();
    EXPECT_FALSE(isLocked(notepad));
    EXPECT_FALSE(program.app->state().reloadRequest);
    EXPECT_EQ(program.items("lstignore"), (std::vector<std::string>{"Paint"}));
}

TEST_F(WatchScenario, EditsOfTheTaskListCountAtTheNextTickBeforeTheyAreSaved) {
    start({"Notepad,1"});
    program.run([&] { program.list("lstTasks").setChecked(0, false); });
    const WindowId notepad = world.desktop.createWindow("Untitled - Notepad", "Notepad");
    tick();
    EXPECT_FALSE(isLocked(notepad));
    program.run([&] { program.list("lstTasks").setChecked(0, true); });
    tick();
    EXPECT_TRUE(isLocked(notepad));
}

TEST_F(WatchScenario, AnEmptyEntryLocksForeignWindowsButNeverTheProgramsOwn) {
    start({",1"});
    program.openConfigWindow();
    world.advance(0);
    ASSERT_EQ(world.desktop.foregroundWindow(), program.configForm().id());
    tick();
    EXPECT_TRUE(program.configForm().isVisible());
    EXPECT_EQ(program.configForm().caption(), "Obelon Pro Configuration Tool");
    EXPECT_EQ(lock().mode, "");

    const WindowId other = world.desktop.createWindow("Calculator", "CalcFrame");
    tick();
    EXPECT_TRUE(isLocked(other));
}

TEST_F(WatchScenario, AVeryLongTitleIsCutAt254Characters) {
    // 252 two-byte characters and then "END": the cut falls inside "END", never inside a character.
    start({"\xC3\xA9" "EN,1", "END,1"});
    std::string title;
    for (int i = 0; i < 252; ++i) title += "\xC3\xA9";
    const WindowId window = world.desktop.createWindow(title + "END", "Long");
    tick();
    EXPECT_TRUE(isLocked(window));
    EXPECT_EQ(lock().label, "\xC3\xA9" "EN");
}
