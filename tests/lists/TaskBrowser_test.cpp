// The task browser "Browse for Task" opened from the Tasks page: which windows it lists and when,
// picking and editing a line, the refusals, and what Select hands to the locked-task list.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tests/lists/TasksPageFixture.h"

using liststest::TasksPageScenario;

// The listing of other programs' windows only: the program's own (the configuration window, the
// password dialog) are left out, so a scenario does not depend on which of them happen to be shown.
class BrowserScenario : public TasksPageScenario {
protected:
    std::vector<std::string> foreignLines(sim::SimForm& browser) {
        std::set<std::string> own;
        for (const sim::SimWindow& window : world.desktop.windows()) {
            if (window.process == program.process->id()) own.insert(window.title);
        }
        std::vector<std::string> lines;
        for (const std::string& line : windowList(browser).items()) {
            if (own.count(line) == 0) lines.push_back(line);
        }
        return lines;
    }
};

using BrowserListing = BrowserScenario;

TEST_F(BrowserListing, TitlesAreSortedWhateverTheZOrder) {
    start();
    world.desktop.createWindow("beta - Editor", "Edit");
    world.desktop.createWindow("Zebra Viewer", "Zv");
    world.desktop.createWindow("Alpha Mail", "Mail");
    world.desktop.createWindow("Calculator", "Calc");
    ASSERT_TRUE(browse([&](sim::SimForm& browser) {
        EXPECT_EQ(foreignLines(browser),
                  (std::vector<std::string>{"Alpha Mail", "beta - Editor", "Calculator", "Zebra Viewer"}));
    }));
}

TEST_F(BrowserListing, WindowsWithoutBorderHiddenOrUntitledAreSkipped) {
    start();
    world.desktop.createStyledWindow("Popup Without Border", "Popup", kWsVisible);
    world.desktop.createStyledWindow("Caption Only Hidden", "Hidden", kWsCaption);
    world.desktop.createWindow("Hidden Normal", "Hidden", false);
    world.desktop.createWindow("", "Untitled");
    world.desktop.createStyledWindow("Thin Border", "Thin", kWsVisible | kWsBorder);
    world.desktop.createWindow("Plain Window", "Plain");
    ASSERT_TRUE(browse([&](sim::SimForm& browser) {
        EXPECT_EQ(foreignLines(browser), (std::vector<std::string>{"Plain Window", "Thin Border"}));
    }));
}

TEST_F(BrowserListing, ItsOwnWindowIsNeverListedButAnotherOfTheSameTitleIs) {
    start();
    ASSERT_TRUE(browse([&](sim::SimForm& browser) {
        EXPECT_EQ(lineOf(browser, "Browse for Task"), -1);
        world.desktop.createWindow("Browse for Task", "Other");
        browser.pressBackground(ui::MouseButton::Left);
        const std::vector<std::string> lines = windowList(browser).items();
        EXPECT_EQ(std::count(lines.begin(), lines.end(), "Browse for Task"), 1);
    }));
}

TEST_F(BrowserListing, ObelonProIsListedButLowerCaseObelonNeverIs) {
    start();
    world.desktop.createWindow("obelon helper", "Helper");
    world.desktop.createWindow("Notes about obelon7", "Notes");
    world.desktop.createWindow("Obelon Pro Readme", "Readme");
    world.desktop.createWindow("OBELON", "Shout");
    ASSERT_TRUE(browse([&](sim::SimForm& browser) {
        EXPECT_NE(lineOf(browser, "Obelon Pro Readme"), -1);
        EXPECT_NE(lineOf(browser, "Obelon Pro Configuration Tool"), -1);
        EXPECT_NE(lineOf(browser, "OBELON"), -1);
        EXPECT_EQ(lineOf(browser, "obelon helper"), -1);
        EXPECT_EQ(lineOf(browser, "Notes about obelon7"), -1);
    }));
}

TEST_F(BrowserListing, NonAsciiTitlesArriveWhole) {
    // UTF-8 with a character that needs a surrogate pair in UTF-16.
    const std::string bank =
        "\xC3\x9C"
        "berweisung \xE2\x80\x93 Bank \xF0\x9F\x92\xB6";
    start();
    world.desktop.createWindow(bank, "Bank");
    ASSERT_TRUE(browse([&](sim::SimForm& browser) {
        const int line = lineOf(browser, bank);
        ASSERT_NE(line, -1);
        windowList(browser).clickItem(line);
        click(browser, "cmdSelect");
    }));
    EXPECT_EQ(tasks().item(tasks().count() - 1), bank);
}

using BrowserDuplicates = BrowserScenario;

TEST_F(BrowserDuplicates, TwoWindowsOfOneTitleGiveOneLineAtLoadAndAtEachRefreshButTwoAfterABackgroundClick) {
    start();
    world.desktop.createWindow("Untitled - Notepad", "Notepad");
    world.desktop.createWindow("Untitled - Notepad", "Notepad");
    world.desktop.createWindow("untitled - notepad", "Notepad");
    // How often each spelling is listed; the two spellings sort alike, so their order is not checked.
    auto listed = [this](sim::SimForm& browser) {
        const std::vector<std::string> lines = foreignLines(browser);
        return std::make_pair(std::count(lines.begin(), lines.end(), "Untitled - Notepad"),
                              std::count(lines.begin(), lines.end(), "untitled - notepad"));
    };
    const auto once = std::make_pair(1L, 1L);
    const auto twice = std::make_pair(2L, 1L);
    ASSERT_TRUE(browse([&](sim::SimForm& browser) {
        EXPECT_EQ(listed(browser), once);
        browser.pressBackground(ui::MouseButton::Right);
        EXPECT_EQ(listed(browser), twice);
        world.advance(30000);
        EXPECT_EQ(listed(browser), once);
        browser.pressBackground(ui::MouseButton::Left);
        EXPECT_EQ(listed(browser), twice);
        world.advance(30000);
        EXPECT_EQ(listed(browser), once);
    }));
}

TEST_F(BrowserDuplicates, AWindowTitledDuplicateStaysListed) {
    start();
    world.desktop.createWindow("Duplicate", "Dup");
    world.desktop.createWindow("Twin", "Twin");
    world.desktop.createWindow("Twin", "Twin");
    ASSERT_TRUE(browse([&](sim::SimForm& browser) {
        EXPECT_EQ(foreignLines(browser), (std::vector<std::string>{"Duplicate", "Twin"}));
    }));
}

using BrowserRefresh = BrowserScenario;

TEST_F(BrowserRefresh, AWindowOpenedLaterIsListedAtTheNextThirtySecondRefresh) {
    start();
    ASSERT_TRUE(browse([&](sim::SimForm& browser) {
        world.desktop.createWindow("Late Arrival", "Late");
        world.advance(29000);
        EXPECT_EQ(lineOf(browser, "Late Arrival"), -1);
        world.advance(1000);
        EXPECT_NE(lineOf(browser, "Late Arrival"), -1);
    }));
}

TEST_F(BrowserRefresh, AClosedWindowLeavesTheListAtTheNextRefresh) {
    start();
    const WindowId leaving = world.desktop.createWindow("Short Lived", "Gone");
    ASSERT_TRUE(browse([&](sim::SimForm& browser) {
        ASSERT_NE(lineOf(browser, "Short Lived"), -1);
        world.desktop.destroyWindow(leaving);
        world.advance(30000);
        EXPECT_EQ(lineOf(browser, "Short Lived"), -1);
    }));
}

using BrowserPick = BrowserScenario;

TEST_F(BrowserPick, APickedLineCanBeEditedAndTheEditedTextBecomesTheLastCheckedCurrentTask) {
    start();
    world.desktop.createWindow("Untitled - Notepad", "Notepad");
    ASSERT_TRUE(browse([&](sim::SimForm& browser) {
        windowList(browser).clickItem(lineOf(browser, "Untitled - Notepad"));
        EXPECT_EQ(editBox(browser).text(), "Untitled - Notepad");
        editBox(browser).erase();
        editBox(browser).type("Notepad");
        click(browser, "cmdSelect");
    }));
    EXPECT_FALSE(leftOpen);
    ASSERT_EQ(tasks().count(), 30);
    EXPECT_EQ(tasks().item(29), "Notepad");
    EXPECT_TRUE(tasks().isChecked(29));
    EXPECT_EQ(tasks().selectedIndex(), 29);
    EXPECT_FALSE(tasks().isChecked(7));  // the preset "Notepad" is a separate entry
    EXPECT_EQ(countLabel(), "Tasks Locked: 1");
    EXPECT_TRUE(program.configForm().isEnabled());
}

TEST_F(BrowserPick, TheSameTextCanBeAddedTwice) {
    start();
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(browse([&](sim::SimForm& browser) {
            editBox(browser).type("Paint");
            click(browser, "cmdSelect");
        }));
    }
    const std::vector<std::string> all = tasks().items();
    EXPECT_EQ(std::count(all.begin(), all.end(), "Paint"), 3);
    EXPECT_EQ(all.back(), "Paint");
    EXPECT_EQ(all[all.size() - 2], "Paint");
    EXPECT_EQ(countLabel(), "Tasks Locked: 2");
}

TEST_F(BrowserPick, PickingTheProgramsOwnWindowSaysCannotLockSelfAndKeepsTheEditBox) {
    start();
    world.desktop.createWindow("Obelon Pro Readme", "Readme");
    ASSERT_TRUE(browse([&](sim::SimForm& browser) {
        editBox(browser).type("kept");
        windowList(browser).clickItem(lineOf(browser, "Obelon Pro Readme"));
        EXPECT_EQ(editBox(browser).text(), "kept");
        EXPECT_EQ(program.app->state().messageText, "Cannot lock self!");
        ASSERT_NE(program.app->messageDialog().form(), nullptr);
        EXPECT_TRUE(program.app->messageDialog().form()->isVisible());
        EXPECT_TRUE(browser.isVisible());
    }));
    EXPECT_TRUE(leftOpen);
    EXPECT_EQ(tasks().count(), 29);
}

TEST_F(BrowserPick, SelectWithAnEmptyTextAddsNothingAndTheBrowserStaysOpen) {
    start();
    ASSERT_TRUE(browse([&](sim::SimForm& browser) {
        click(browser, "cmdSelect");
        EXPECT_TRUE(browser.isVisible());
        EXPECT_FALSE(program.configForm().isEnabled());
        EXPECT_EQ(program.app->state().messageText, "Type or pick the title of the window to lock.");
        EXPECT_EQ(tasks().count(), 29);
        editBox(browser).type("Word");
        browser.pressEnter();
    }));
    EXPECT_FALSE(leftOpen);
    EXPECT_EQ(tasks().count(), 30);
    EXPECT_EQ(tasks().item(29), "Word");
}

TEST_F(BrowserPick, TheNewTaskLocksItsWindowAtTheNextTick) {
    start();
    const WindowId paint = world.desktop.createWindow("untitled - Paint", "MSPaintApp");
    ASSERT_TRUE(browse([&](sim::SimForm& browser) {
        windowList(browser).clickItem(lineOf(browser, "untitled - Paint"));
        click(browser, "cmdSelect");
    }));
    world.desktop.setForeground(paint);
    world.advance(1000);
    EXPECT_EQ(world.desktop.windowText(paint), "###");
    ASSERT_TRUE(program.openLock());
    EXPECT_EQ(program.openLock()->label, "untitled - Paint");
}

using BrowserHelp = BrowserScenario;

TEST_F(BrowserHelp, TheLinkIsBlueAndExplainsHowToLockATask) {
    start();
    ASSERT_TRUE(browse([&](sim::SimForm& browser) {
        auto& link = *sim::control<sim::SimLabel>(browser, "cmdwebpage");
        EXPECT_EQ(link.text(), "How to Lock a Task");
        EXPECT_EQ(link.foreColor(), 0xFF0000u);
        EXPECT_TRUE(link.click());
        EXPECT_EQ(program.app->state().messageText,
                  "Open the program or web browser you want to lock with a password (for web browser, open it  on "
                  "the page you want locked), then, switch back here, click Refresh and select it from the list.");
        world.advance(100);
        EXPECT_EQ(program.app->messageDialog().form()->findControl("Label1")->text(), program.app->state().messageText);
    }));
}

TEST_F(BrowserHelp, TheWindowCarriesItsCaptionsAndStartsEmpty) {
    start();
    ASSERT_TRUE(browse([&](sim::SimForm& browser) {
        EXPECT_EQ(browser.caption(), "Browse for Task");
        EXPECT_EQ(browser.findControl("Label1")->text(), "Select a Task to Password Protect");
        EXPECT_EQ(browser.findControl("Label2")->text(), "Browse tasks:");
        EXPECT_EQ(browser.findControl("Label3")->text(), "Edit:");
        EXPECT_EQ(browser.findControl("cmdSelect")->text(), "Select");
        EXPECT_EQ(browser.findControl("cmdCancel")->text(), "Cancel");
        EXPECT_EQ(editBox(browser).text(), "");
        EXPECT_TRUE(windowList(browser).options().sorted);
        EXPECT_EQ(browser.defaultButton(), browser.findControl("cmdSelect"));
        EXPECT_TRUE(browser.isActive());
    }));
}
