// The Tasks page of the configuration window as the administrator uses it: the preset list, Browse
// and its limit, Remove and the Delete key, the count label and the link to the folder page.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/lists/TasksPageFixture.h"

using liststest::TasksPageScenario;

namespace {

std::vector<std::string> numberedTasks(int count) {
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i) texts.push_back("Task " + std::to_string(i));
    return texts;
}

}  // namespace

using FirstLoad = TasksPageScenario;

TEST_F(FirstLoad, AnEmptyStoreOffersThe29PresetsInOrderUncheckedAndCountsNone) {
    start();
    // clang-format off
    const std::vector<std::string> presets = {
        "Inbox - Windows Live Mail", "Google Chrome", "Messenger", "Windows Live Messenger", "Windows Mail",
        "Inbox - Outlook Express", "Windows Media Player", "Notepad", "Paint", "Microsoft Word", "Solitaire",
        "Personalization", "Control Panel", "Display Properties", "Windows Firewall", "User Accounts", "System",
        "Disk Defragmenter", "Network", "Disk Cleanup", "Folder Options", "System Restore", "System Information",
        "Command Prompt", "System Configuration Utility", "Run", "Computer", "Music", "Pictures"};
    // clang-format on
    EXPECT_EQ(tasks().items(), presets);
    EXPECT_EQ(program.checks("lstTasks"), std::vector<bool>(29, false));
    EXPECT_EQ(countLabel(), "Tasks Locked: 0");
}

using BrowseLimit = TasksPageScenario;

TEST_F(BrowseLimit, With998TasksTheBrowserOpensAndASelectionMakes999) {
    start();
    replaceTasks(numberedTasks(998));
    const bool opened = browse([](sim::SimForm& browser) {
        editBox(browser).type("Calculator");
        click(browser, "cmdSelect");
    });
    EXPECT_TRUE(opened);
    ASSERT_EQ(tasks().count(), 999);
    EXPECT_EQ(tasks().item(998), "Calculator");
    EXPECT_TRUE(program.process->shell().boxes().empty());
}

TEST_F(BrowseLimit, With999TasksTheMaximumMessageShowsNoBrowserAndTheWindowStaysUsable) {
    start();
    replaceTasks(numberedTasks(999));
    EXPECT_FALSE(browse([](sim::SimForm&) {}));

    const auto& boxes = program.process->shell().boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "The maximum number of Tasks has been reached.\rDelete some Tasks to continue.");
    EXPECT_EQ(boxes[0].title, "Obelon Pro");
    EXPECT_EQ(boxes[0].icon, MessageBoxIcon::Exclamation);
    EXPECT_EQ(boxes[0].buttons, MessageBoxButtons::Ok);
    EXPECT_EQ(program.process->toolkit().findForm("frmLock"), nullptr);
    EXPECT_EQ(tasks().count(), 999);
    EXPECT_TRUE(program.configForm().isEnabled());
}

TEST_F(BrowseLimit, MoreThan999TasksFromTheStoreAreRefusedToo) {
    start();
    replaceTasks(numberedTasks(1000));
    EXPECT_FALSE(browse([](sim::SimForm&) {}));
    EXPECT_EQ(program.process->shell().boxes().size(), 1u);
    EXPECT_EQ(tasks().count(), 1000);
}

using BrowseWithoutChoice = TasksPageScenario;

TEST_F(BrowseWithoutChoice, CancelLeavesTheListAndRecountsTheLabel) {
    start();
    program.run([&] {
        tasks().toggleItem(0);
        tasks().toggleItem(4);
    });
    ASSERT_EQ(countLabel(), "Tasks Locked: 0");
    const std::vector<std::string> before = tasks().items();

    bool disabledMeanwhile = false;
    ASSERT_TRUE(browse([&](sim::SimForm& browser) {
        disabledMeanwhile = !program.configForm().isEnabled();
        click(browser, "cmdCancel");
        EXPECT_TRUE(program.configForm().isEnabled()) << "enabled by the browser's own closing";
    }));
    EXPECT_TRUE(disabledMeanwhile);
    EXPECT_FALSE(leftOpen);
    EXPECT_EQ(tasks().items(), before);
    EXPECT_EQ(countLabel(), "Tasks Locked: 2");
    EXPECT_TRUE(program.configForm().isEnabled());
}

TEST_F(BrowseWithoutChoice, TheTitleBarCloseEnablesTheWindowAgainAndTheBrowserGoes) {
    start();
    ASSERT_TRUE(browse([&](sim::SimForm& browser) {
        EXPECT_TRUE(browser.clickClose());
        EXPECT_TRUE(program.configForm().isEnabled()) << "enabled by the browser's own closing";
    }));
    EXPECT_FALSE(leftOpen);
    EXPECT_TRUE(program.configForm().isEnabled());
    EXPECT_EQ(program.process->toolkit().findForm("frmLock"), nullptr);
    EXPECT_EQ(tasks().count(), 29);
}

TEST_F(BrowseWithoutChoice, EscClosesTheBrowserAndTheWindowTakesClicksAgain) {
    start();
    ASSERT_TRUE(browse([](sim::SimForm& browser) { browser.pressEscape(); }));
    EXPECT_FALSE(leftOpen);
    ASSERT_TRUE(browse([](sim::SimForm& browser) {
        editBox(browser).type("Second");
        browser.pressEnter();
    }));
    EXPECT_EQ(tasks().item(tasks().count() - 1), "Second");
}

using WatchWhileBrowsing = TasksPageScenario;

TEST_F(WatchWhileBrowsing, ACheckedTaskIsStillLockedWhileTheBrowserIsOpen) {
    start();
    program.run([&] { tasks().toggleItem(7); });  // "Notepad"
    ASSERT_TRUE(browse([&](sim::SimForm& browser) {
        const WindowId notepad = world.desktop.createWindow("Untitled - Notepad", "Notepad");
        world.advance(1500);
        EXPECT_EQ(world.desktop.windowText(notepad), "###");
        EXPECT_FALSE(world.desktop.isVisible(notepad));
        ASSERT_TRUE(program.openLock());
        EXPECT_EQ(program.openLock()->label, "Notepad");
        click(browser, "cmdCancel");
    }));
}

using TaskRemoval = TasksPageScenario;

TEST_F(TaskRemoval, RemoveWithNothingSelectedChangesNothingAndShowsNothing) {
    start();
    program.run([&] { tasks().setSelectedIndex(-1); });
    press("cmddel");
    EXPECT_EQ(tasks().count(), 29);
    EXPECT_TRUE(program.process->shell().boxes().empty());
    EXPECT_EQ(program.app->state().messageText, "");
}

TEST_F(TaskRemoval, RemoveKeepsTheOldCountButTheDeleteKeyLowersIt) {
    start();
    replaceTasks({"Alpha", "Beta", "Gamma"});
    program.run([&] {
        tasks().toggleItem(0);
        tasks().toggleItem(1);
        tasks().toggleItem(2);
        tasks().pressMouse(ui::MouseButton::Right);
    });
    ASSERT_EQ(countLabel(), "Tasks Locked: 3");

    program.run([&] { tasks().clickItem(1); });
    press("cmddel");
    EXPECT_EQ(tasks().items(), (std::vector<std::string>{"Alpha", "Gamma"}));
    EXPECT_EQ(countLabel(), "Tasks Locked: 3");

    program.run([&] {
        tasks().clickItem(0);
        tasks().pressKey(46);
    });
    EXPECT_EQ(tasks().items(), (std::vector<std::string>{"Gamma"}));
    EXPECT_EQ(countLabel(), "Tasks Locked: 1");
}

TEST_F(TaskRemoval, OtherKeysRemoveNothing) {
    start();
    program.run([&] {
        tasks().clickItem(3);
        tasks().pressKey(8);   // Backspace
        tasks().pressKey(45);  // Insert
    });
    EXPECT_EQ(tasks().count(), 29);
}

TEST_F(TaskRemoval, TheDeleteKeyWithNothingSelectedStillRecounts) {
    start();
    program.run([&] {
        tasks().toggleItem(2);
        tasks().setSelectedIndex(-1);
        tasks().pressKey(46);
    });
    EXPECT_EQ(tasks().count(), 29);
    EXPECT_EQ(countLabel(), "Tasks Locked: 1");
}

using TaskCount = TasksPageScenario;

TEST_F(TaskCount, TickingAloneLeavesTheLabelARightPressCountsTheTicks) {
    start();
    program.run([&] {
        tasks().toggleItem(1);
        tasks().toggleItem(10);
        tasks().toggleItem(28);
    });
    EXPECT_EQ(countLabel(), "Tasks Locked: 0");
    program.run([&] { tasks().pressMouse(ui::MouseButton::Left); });
    EXPECT_EQ(countLabel(), "Tasks Locked: 0");
    program.run([&] { tasks().pressMouse(ui::MouseButton::Right); });
    EXPECT_EQ(countLabel(), "Tasks Locked: 3");
}

TEST_F(TaskCount, AnEmptiedListCountsNone) {
    start();
    program.run([&] {
        tasks().toggleItem(0);
        tasks().pressMouse(ui::MouseButton::Right);
    });
    ASSERT_EQ(countLabel(), "Tasks Locked: 1");
    replaceTasks({});
    program.run([&] { tasks().pressMouse(ui::MouseButton::Right); });
    EXPECT_EQ(countLabel(), "Tasks Locked: 0");
}

using FolderLink = TasksPageScenario;

TEST_F(FolderLink, TheLinkOpensTheFilesFoldersPage) {
    start();
    auto& tabs = *sim::control<sim::SimTabStrip>(program.configForm(), "SmartTab1");
    ASSERT_EQ(tabs.selectedPage(), 0);
    program.run([&] { EXPECT_TRUE(sim::control<sim::SimLabel>(program.configForm(), "lblFolderLink")->click()); });
    EXPECT_EQ(tabs.selectedPage(), 1);
    EXPECT_EQ(tabs.text(), "Files/Folders");
}
