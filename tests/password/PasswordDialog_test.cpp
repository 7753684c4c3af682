// frmPassword: what it shows when it opens, and what the right and the wrong password do in each lock mode.
#include "common/AccessPassword.h"
#include "tests/password/PasswordDialogFixture.h"

namespace pwtest {
namespace {

using DialogOpening = PasswordDialogScenario;
using RightPassword = PasswordDialogScenario;
using WrongPassword = PasswordDialogScenario;
using KeepPassword = PasswordDialogScenario;

TEST_F(DialogOpening, ATaskLockShowsRestrictionsNamingTheTaskAboveAMaskedBox) {
    lockTaskWindow("Untitled - Notepad", "Notepad", "Notepad");
    ASSERT_TRUE(shown());
    EXPECT_EQ(dialog()->caption(), "Restrictions");
    EXPECT_EQ(text("lblTask"), "Notepad");
    EXPECT_EQ(text("Label1"), "Password:");
    EXPECT_EQ(prompt(), kHint);
    EXPECT_EQ(text("cmdOK"), "&OK");
    EXPECT_EQ(text("cmdCancelPWD"), "Cance&l");
    EXPECT_TRUE(keep().isVisible());
    EXPECT_FALSE(keep().isChecked());
    EXPECT_TRUE(world.desktop.isTopmost(dialog()->id()));
    EXPECT_FALSE(world.desktop.hasSystemMenuCommand(dialog()->id(), kScClose));
    EXPECT_TRUE(dialog()->isActive());
    type("Secret");
    EXPECT_EQ(box().shownText(), "******");
}

TEST_F(DialogOpening, ThePromptNamesNoDefaultOnceAnotherPasswordIsInForce) {
    state.accessPassword = "tulip";
    open("cfg", "Configuration");
    EXPECT_EQ(prompt(), kDefaultPrompt);
}

TEST_F(DialogOpening, AHashOfTheDefaultStillShowsTheHintAndAHashOfAnotherPasswordDoesNot) {
    state.accessPassword = hashAccessPassword(process.platform().crypto, "bluejay", 1000).value();
    open("cfg", "Configuration");
    EXPECT_EQ(prompt(), kHint);
    pressEscape();
    state.accessPassword = hashAccessPassword(process.platform().crypto, "tulip", 1000).value();
    open("cfg", "Configuration");
    EXPECT_EQ(prompt(), kDefaultPrompt);
}

TEST_F(DialogOpening, BoxHoldsAtMostSixteenCharacters) {
    open("cfg", "Configuration");
    type("abcdefghijklmnopqrstu");
    EXPECT_EQ(box().text(), "abcdefghijklmnop");
}

// Raised while the user works in another program, the dialog cannot take the foreground: it flashes, stays on
// top, and comes forward when the user clicks it.
TEST_F(DialogOpening, RaisedWhileTheUserWorksElsewhereItFlashesOnTopUntilClicked) {
    world.desktop.createWindow("Calculator", "CalcFrame");
    open("cfg", "Obelon Pro Configuration Tool");
    EXPECT_FALSE(dialog()->isActive());
    EXPECT_GT(world.desktop.flashes(dialog()->id()), 0);
    EXPECT_TRUE(world.desktop.isTopmost(dialog()->id()));
    world.desktop.setForeground(dialog()->id());
    process.toolkit().processEvents();
    EXPECT_EQ(text("lblTask"), "Obelon Pro Configuration Tool");
    EXPECT_TRUE(dialog()->isActive());
}

// Requests wait their turn: the dialog keeps naming the one it answers, and the next opens after it; one whose
// window is hidden goes before those that hide nothing.
TEST_F(DialogOpening, AnotherRequestWaitsItsTurnInsteadOfTakingTheDialogOver) {
    open("un", "Uninstall Obelon Pro");
    sim::SimForm* first = dialog();
    open("cfg", "Configuration");
    open("reg", "Registry Tools", world.desktop.createWindow("Registry Editor", "RegEdit_RegEdit", false));
    open("cfg", "Obelon Pro Configuration Tool");  // one configuration request is enough
    EXPECT_EQ(dialog(), first);
    EXPECT_EQ(text("lblTask"), "Uninstall Obelon Pro");
    EXPECT_EQ(host.waiting().size(), 2u);
    int shownDialogs = 0;
    for (const sim::SimWindow& window : world.desktop.windows()) {
        shownDialogs += window.title == "Restrictions" && window.visible ? 1 : 0;
    }
    EXPECT_EQ(shownDialogs, 1);
    answer("bluejay");
    EXPECT_TRUE(unlocked(LockMode::Uninstaller));
    EXPECT_EQ(text("lblTask"), "Registry Tools");
    answer("bluejay");
    EXPECT_EQ(text("lblTask"), "Configuration");
}

// The configuration prompt every start opens hides nothing: a window locked meanwhile is asked for at once.
TEST_F(DialogOpening, AWindowLockedWhileTheConfigurationPromptIsOpenIsAskedForFirst) {
    open("cfg", "");
    const WindowId notepad = lockTaskWindow("Untitled - Notepad", "Notepad", "Notepad");
    EXPECT_EQ(text("lblTask"), "Notepad");
    answer("bluejay");
    EXPECT_TRUE(unlocked(LockMode::Task, notepad));
    EXPECT_TRUE(asking(LockMode::Configuration));
    EXPECT_EQ(owner.answers.size(), 1u);
}

TEST_F(DialogOpening, NeitherTheTitleBarNorAPostedCloseEndsIt) {
    open("cfg", "Configuration");
    EXPECT_FALSE(dialog()->clickClose());
    EXPECT_TRUE(world.desktop.postClose(dialog()->id()));
    run([&] { process.toolkit().processEvents(); });
    EXPECT_TRUE(shown());
    EXPECT_TRUE(asking(LockMode::Configuration));
}

TEST_F(RightPassword, TheTaskWindowsRequestIsAnsweredAndTheDialogGoes) {
    const WindowId notepad = lockTaskWindow("Untitled - Notepad", "Notepad", "Notepad");
    answer("bluejay");
    EXPECT_TRUE(unlocked(LockMode::Task, notepad));
    EXPECT_EQ(lastAnswer().first.windowClass, "Notepad");
    EXPECT_FALSE(shown());
    EXPECT_FALSE(host.answering());
}

TEST_F(RightPassword, TypedInUpperCaseItUnlocksAndTheBoxShowsItLowerCased) {
    open("cfg", "Configuration");
    run([&] { keep().setChecked(true); });
    type("BLUEjay");
    sim::SimForm* closed = dialog();
    pressEnter();
    EXPECT_TRUE(state.configUnlocked);
    EXPECT_EQ(sim::control<sim::SimTextBox>(*closed, "txtPass")->text(), "bluejay");
    EXPECT_EQ(state.rememberedPassword, "bluejay");
}

TEST_F(RightPassword, TheConfigurationWindowIsShownAndStaysUnlocked) {
    open("cfg", "Configuration");
    answer("bluejay");
    EXPECT_TRUE(state.configUnlocked);
    EXPECT_TRUE(configWindow->isVisible());
    EXPECT_FALSE(shown());
    EXPECT_FALSE(host.answering());
}

TEST_F(RightPassword, EachProtectionsRequestIsAnsweredForItsWindow) {
    for (const char* mode : {"reg", "ie", "ff", "ex", "tm", "un"}) {
        SCOPED_TRACE(mode);
        const WindowId window = world.desktop.createWindow(std::string("window for ") + mode, "Locked");
        open(mode, "Protected", window);
        answer("bluejay");
        EXPECT_TRUE(unlocked(modeNamed(mode), window));
        EXPECT_FALSE(shown());
    }
}

TEST_F(WrongPassword, IsRefusedWithTheTextLeftAndTheWindowStillHidden) {
    const WindowId notepad = lockTaskWindow("Untitled - Notepad", "Notepad", "Notepad");
    answer("BlueBird");
    EXPECT_EQ(prompt(), kInvalid);
    EXPECT_EQ(box().text(), "bluebird");
    EXPECT_TRUE(shown());
    EXPECT_TRUE(asking(LockMode::Task));
    EXPECT_FALSE(world.desktop.isVisible(notepad));
    EXPECT_EQ(world.desktop.windowText(notepad), "###");
    EXPECT_TRUE(owner.answers.empty());
    answer("bluejay");
    EXPECT_TRUE(unlocked(LockMode::Task, notepad));
}

TEST_F(WrongPassword, AnEmptyBoxIsWrongInEveryCheckedMode) {
    for (const char* mode : {"app", "cfg", "reg", "ie", "ff", "ex", "tm", "ins", "un"}) {
        SCOPED_TRACE(mode);
        open(mode, "Locked");
        pressEnter();
        EXPECT_EQ(prompt(), kInvalid);
        EXPECT_TRUE(shown());
        EXPECT_TRUE(asking(modeNamed(mode)));
        answer("bluejay");
        EXPECT_FALSE(shown());
    }
}

TEST_F(WrongPassword, InAnInstallerLockTheStartButtonComesBackAnyway) {
    const WindowId start = world.desktop.createWindow("Start", "Button", false);
    open("ins", "Installation Program");
    answer("wrong");
    EXPECT_TRUE(world.desktop.isVisible(start));
    EXPECT_EQ(prompt(), kInvalid);
    EXPECT_TRUE(shown());
}

TEST_F(KeepPassword, TheNextDialogOpensFilledAndTicked) {
    open("cfg", "Configuration");
    run([&] { keep().setChecked(true); });
    answer("bluejay");
    EXPECT_EQ(state.rememberedPassword, "bluejay");
    lockTaskWindow("Untitled - Notepad", "Notepad", "Notepad");
    EXPECT_TRUE(keep().isChecked());
    EXPECT_EQ(box().text(), "bluejay");
    pressEnter();
    EXPECT_FALSE(shown());
    EXPECT_EQ(lastAnswer().second, LockAnswer::Unlocked);
}

TEST_F(KeepPassword, AWrongPasswordForgetsIt) {
    state.rememberedPassword = "bluejay";
    open("cfg", "Configuration");
    answer("guess");
    EXPECT_EQ(state.rememberedPassword, "");
    EXPECT_TRUE(keep().isChecked());
    run([&] { keep().setChecked(false); });
    answer("bluejay");
    open("reg", "Registry Tools");
    EXPECT_EQ(box().text(), "");
    EXPECT_FALSE(keep().isChecked());
}

TEST_F(KeepPassword, WithoutTheTickNothingIsKept) {
    state.rememberedPassword = "bluejay";
    open("cfg", "Configuration");
    run([&] { keep().setChecked(false); });
    pressEnter();
    EXPECT_TRUE(state.configUnlocked);
    EXPECT_EQ(state.rememberedPassword, "");
}

}  // namespace
}  // namespace pwtest
