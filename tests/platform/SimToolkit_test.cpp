// The simulated forms and controls, driven as a user would.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/SimMachine.h"

namespace {

using testsupport::SimMachine;

class SimForms : public SimMachine {
protected:
    SimForms() : app(startProcess()), form(app.toolkit().createForm({.name = "frmTest", .caption = "Test"})) {}

    sim::SimInstance& app;
    std::unique_ptr<ui::Form> form;
};

TEST_F(SimForms, TaskbarActivationRestoresAShownFormAndIgnoresAHiddenOne) {
    int activations = 0;
    form->onActivate([&] { ++activations; });
    EXPECT_FALSE(app.toolkit().activate(*form));
    form->show();
    form->setWindowState(ui::WindowState::Minimized);
    EXPECT_NE(world.desktop.foregroundWindow(), form->id());
    EXPECT_TRUE(app.toolkit().activate(*form));
    EXPECT_EQ(form->windowState(), ui::WindowState::Normal);
    EXPECT_EQ(activations, 2);
}

TEST_F(SimForms, ClosingFromTheTitleBarHidesUnlessTheFormHandlesItOrHasNoCloseCommand) {
    auto& closing = sim::as<sim::SimForm>(*form);
    form->show();
    EXPECT_TRUE(closing.clickClose());
    EXPECT_FALSE(form->isVisible());
    int requests = 0;
    form->onCloseRequest([&] { ++requests; });
    form->show();
    EXPECT_TRUE(closing.clickClose());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(requests, 1);
    ASSERT_TRUE(world.desktop.removeSystemMenuCommand(form->id(), kScClose));
    EXPECT_FALSE(closing.clickClose());
    EXPECT_EQ(requests, 1);
}

TEST_F(SimForms, EnterPressesTheDefaultButtonOnlyWhereItCanBeClicked) {
    ui::Button& ok = form->addButton({.name = "cmdok", .caption = "OK"});
    int clicks = 0;
    ok.onClick([&] { ++clicks; });
    form->setDefaultButton(ok);
    auto& keyboard = sim::as<sim::SimForm>(*form);
    keyboard.pressEnter();
    form->show();
    keyboard.pressEnter();
    ok.setEnabled(false);
    keyboard.pressEnter();
    EXPECT_EQ(clicks, 1);
}

TEST_F(SimForms, UsersOptionClickClearsTheOthersOnItsPage) {
    form->show();
    ui::OptionButton& a = form->addOptionButton({.name = "optA", .page = 0});
    ui::OptionButton& b = form->addOptionButton({.name = "optB", .page = 0});
    ui::OptionButton& elsewhere = form->addOptionButton({.name = "optC", .page = 1});
    a.setChecked(true);
    elsewhere.setChecked(true);
    sim::control<sim::SimOptionButton>(*form, "optB")->click();
    EXPECT_FALSE(a.isChecked());
    EXPECT_TRUE(b.isChecked());
    EXPECT_TRUE(elsewhere.isChecked());
}

TEST_F(SimForms, OnlyTheSelectedPageShowsItsControls) {
    ui::TabStrip& tabs = form->addTabStrip({.name = "SmartTab1"}, {"General", "Tasks", "Folders"});
    ui::Label& general = form->addLabel({.name = "lblGeneral", .page = 0});
    ui::Label& tasks = form->addLabel({.name = "lblTasks", .page = 1});
    ui::Label& always = form->addLabel({.name = "lblAlways"});
    EXPECT_TRUE(general.isVisible());
    EXPECT_FALSE(tasks.isVisible());
    tabs.selectPage(1);
    EXPECT_FALSE(general.isVisible());
    EXPECT_TRUE(tasks.isVisible());
    EXPECT_TRUE(always.isVisible());
    EXPECT_EQ(tabs.text(), "Tasks");
    tabs.selectPage(7);
    EXPECT_EQ(tabs.selectedPage(), 1);
    tasks.setVisible(false);
    EXPECT_FALSE(tasks.isVisible());
}

TEST_F(SimForms, TypingStopsAtTheLimitInUtf16UnitsAndEachCharacterIsAChange) {
    form->show();
    ui::TextBox& box = form->addTextBox({.name = "txtPass"}, {.passwordChar = '*', .maxLength = 4});
    int changes = 0;
    box.onChange([&] { ++changes; });
    auto* typing = sim::control<sim::SimTextBox>(*form, "txtPass");
    ASSERT_NE(typing, nullptr);
    EXPECT_TRUE(
        typing->type("\xC3\xBC"
                     "a\xF0\x9F\x98\x80"
                     "b"));
    EXPECT_EQ(box.text(),
              "\xC3\xBC"
              "a\xF0\x9F\x98\x80");
    EXPECT_EQ(typing->shownText(), "***");
    EXPECT_EQ(changes, 3);
    box.setEnabled(false);
    EXPECT_FALSE(typing->type("x"));
    EXPECT_EQ(changes, 3);
}

TEST_F(SimForms, KeyRefusedAtTheLimitLeavesRoomForAShorterOne) {
    form->show();
    form->addTextBox({.name = "txtShort"}, {.maxLength = 3});
    auto* typing = sim::control<sim::SimTextBox>(*form, "txtShort");
    ASSERT_NE(typing, nullptr);
    EXPECT_TRUE(
        typing->type("ab\xF0\x9F\x98\x80"
                     "c"));
    EXPECT_EQ(typing->text(), "abc");
}

TEST_F(SimForms, SortedListIgnoresCaseAndSelectionFollowsItsEntry) {
    ui::ListBox& list = form->addListBox({.name = "lstignore"}, {.sorted = true});
    for (const char* entry : {"beta", "Alpha", "gamma", "alpha"}) list.addItem(entry);
    auto* simList = sim::as<sim::SimListBox>(&list);
    EXPECT_EQ(simList->items(), (std::vector<std::string>{"Alpha", "alpha", "beta", "gamma"}));
    list.setText("beta");
    list.addItem("Aardvark");
    EXPECT_EQ(list.text(), "beta");
    list.removeItem(0);
    EXPECT_EQ(list.selectedIndex(), 2);
    list.removeItem(2);
    EXPECT_EQ(list.selectedIndex(), -1);
    list.setChecked(0, true);
    EXPECT_FALSE(list.isChecked(0));
}

TEST_F(SimForms, ListReportsThePressBeforeTheClickedEntryIsSelected) {
    form->show();
    ui::ListBox& list = form->addListBox({.name = "lstTasks"}, {.checkBoxes = true});
    list.addItem("Notepad");
    list.addItem("Paint");
    int selectedAtPress = -2;
    list.onMouseDown([&](ui::MouseButton) { selectedAtPress = list.selectedIndex(); });
    auto* user = sim::as<sim::SimListBox>(&list);
    EXPECT_TRUE(user->clickItem(1));
    EXPECT_EQ(selectedAtPress, -1);
    EXPECT_EQ(list.selectedIndex(), 1);
    EXPECT_TRUE(user->toggleItem(0));
    EXPECT_TRUE(list.isChecked(0));
    int key = 0;
    list.onKeyDown([&](int pressed) { key = pressed; });
    EXPECT_TRUE(user->pressKey(46));
    EXPECT_EQ(key, 46);
}

TEST_F(SimForms, TrayClickReachesTheOwningFormWhileItsIconIsThere) {
    std::vector<int> messages;
    form->onTrayMouse([&](int message) { messages.push_back(message); });
    EXPECT_FALSE(app.shell().clickTray(form->id(), 1, 514));
    ASSERT_TRUE(app.shell().trayAdd({.owner = form->id(), .id = 1, .tip = "Obelon Pro"}));
    EXPECT_FALSE(app.shell().trayAdd({.owner = form->id(), .id = 1, .tip = "again"}));
    EXPECT_TRUE(app.shell().clickTray(form->id(), 1, 514));
    EXPECT_TRUE(app.shell().trayDelete(form->id(), 1));
    EXPECT_FALSE(app.shell().clickTray(form->id(), 1, 514));
    EXPECT_EQ(messages, std::vector<int>{514});
    EXPECT_EQ(app.shell().trayIconCount(), 0);
}

TEST_F(SimForms, MessageBoxesAreRecordedAndAnsweredFromTheScript) {
    app.shell().answerNext(MessageBoxAnswer::No);
    EXPECT_EQ(app.shell().messageBox({.text = "Sure?", .buttons = MessageBoxButtons::YesNo}), MessageBoxAnswer::No);
    EXPECT_EQ(app.shell().messageBox({.text = "Done."}), MessageBoxAnswer::Ok);
    ASSERT_EQ(app.shell().boxes().size(), 2u);
    EXPECT_EQ(app.shell().boxes()[1].text, "Done.");
}

}  // namespace
