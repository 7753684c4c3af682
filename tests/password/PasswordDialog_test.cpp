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

TEST_F(DialogOpening, TheLabelFollowsTheLockRecordEachTimeTheDialogBecomesActive) {
    open("cfg", "Configuration");
    world.desktop.createWindow("Calculator", "CalcFrame");
    ASSERT_FALSE(dialog()->isActive());
    state.lock.label = "Obelon Pro Configuration Tool";
    run([&] { host.showPasswordDialog(); });
    EXPECT_FALSE(dialog()->isActive()) << "raised while the user works in Calculator, it cannot take the foreground";
    world.desktop.setForeground(dialog()->id());  // the user clicks the flashing dialog
    process.toolkit().processEvents();
    EXPECT_EQ(text("lblTask"), "Obelon Pro Configuration Tool");
    EXPECT_TRUE(dialog()->isActive());
}

TEST_F(DialogOpening, ShowingItAgainOpensNoSecondDialog) {
    open("cfg", "Configuration");
    sim::SimForm* first = dialog();
    open("reg", "Registry Tools");
    EXPECT_EQ(dialog(), first);
    int shownDialogs = 0;
    for (const sim::SimWindow& window : world.desktop.windows()) {
        shownDialogs += window.title == "Restrictions" && window.visible ? 1 : 0;
    }
    EXPECT_EQ(shownDialogs, 1);
}

TEST_F(DialogOpening, NeitherTheTitleBarNorAPostedCloseEndsIt) {
    open("cfg", "Configuration");
    EXPECT_FALSE(dialog()->clickClose());
    EXPECT_TRUE(world.desktop.postClose(dialog()->id()));
    run([&] { process.toolkit().processEvents(); });
    EXPECT_TRUE(shown());
    EXPECT_EQ(state.lock.mode, "cfg");
}

TEST_F(RightPassword, ATaskWindowComesBackUnderItsNameAndItsClassIsAllowed) {
    const WindowId notepad = lockTaskWindow("Untitled - Notepad", "Notepad", "Notepad");
    answer("bluejay");
    EXPECT_EQ(world.desktop.windowText(notepad), "Notepad");
    EXPECT_TRUE(world.desktop.isVisible(notepad));
    ASSERT_EQ(allowList->count(), 1);
    EXPECT_EQ(allowList->item(0), "Notepad");
    EXPECT_FALSE(shown());
    EXPECT_EQ(state.lock.mode, "");
    EXPECT_EQ(state.lock.window, WindowId{});
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
    EXPECT_EQ(state.lock.mode, "");
}

TEST_F(RightPassword, EachBuiltInProtectionSwitchesOffAndItsWindowIsRestored) {
    struct Case {
        const char* mode;
        std::function<bool(const ProtectionSwitches&)> unlocked;
    };
    const Case cases[] = {{"reg", [](const ProtectionSwitches& s) { return !s.reg; }},
                          {"ie", [](const ProtectionSwitches& s) { return s.ie == 2; }},
                          {"ff", [](const ProtectionSwitches& s) { return !s.ff; }},
                          {"ex", [](const ProtectionSwitches& s) { return !s.ex; }},
                          {"tm", [](const ProtectionSwitches& s) { return !s.tm; }}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        state.protections = {.reg = true, .tm = true, .ff = true, .ex = true, .ins = true, .ie = 1};
        const WindowId window = world.desktop.createWindow(std::string("window for ") + c.mode, "Locked");
        ASSERT_TRUE(world.desktop.showWindowAsync(window, ShowCommand::Minimize));
        state.lock.window = window;
        open(c.mode, "Protected");
        answer("bluejay");
        EXPECT_TRUE(c.unlocked(state.protections));
        EXPECT_FALSE(world.desktop.isMinimized(window));
        EXPECT_TRUE(world.desktop.isVisible(window));
        EXPECT_FALSE(shown());
        EXPECT_EQ(state.lock.mode, "");
        EXPECT_EQ(allowList->count(), 0);
    }
}

TEST_F(RightPassword, TheUninstallerIsPermitted) {
    open("un", "Uninstall Obelon Pro");
    answer("bluejay");
    EXPECT_TRUE(state.uninstallPermitted);
    EXPECT_FALSE(shown());
}

TEST_F(RightPassword, AnUnknownOrEmptyModeClosesWithoutLookingAtThePassword) {
    for (const char* mode : {"zzz", ""}) {
        SCOPED_TRACE(mode);
        open(mode, "Something");
        answer("not the password");
        EXPECT_FALSE(shown());
        EXPECT_EQ(state.lock.mode, "");
        EXPECT_FALSE(state.configUnlocked);
        EXPECT_EQ(allowList->count(), 0);
    }
}

// A start-up or session lock after a task lock whose window would not close: that window is not its to unlock.
TEST_F(RightPassword, ALockThatNamesNoWindowRestoresAndAllowsNothingOfAnEarlierLock) {
    const WindowId editorWindow = lockEditorWindow("Editor");
    pressEscape();
    ASSERT_TRUE(world.desktop.isWindow(editorWindow));
    state.lock.mode = "app";
    state.lock.label = "Expired Windows\xC2\xAE Session";
    run([&] { host.showPasswordDialog(); });
    answer("bluejay");
    EXPECT_EQ(allowList->count(), 0);
    EXPECT_FALSE(world.desktop.isVisible(editorWindow));
    EXPECT_EQ(world.desktop.windowText(editorWindow), "###");
}

TEST_F(WrongPassword, IsRefusedWithTheTextLeftAndTheWindowStillHidden) {
    const WindowId notepad = lockTaskWindow("Untitled - Notepad", "Notepad", "Notepad");
    answer("BlueBird");
    EXPECT_EQ(prompt(), kInvalid);
    EXPECT_EQ(box().text(), "bluebird");
    EXPECT_TRUE(shown());
    EXPECT_EQ(state.lock.mode, "app");
    EXPECT_FALSE(world.desktop.isVisible(notepad));
    EXPECT_EQ(world.desktop.windowText(notepad), "###");
    EXPECT_EQ(allowList->count(), 0);
    answer("bluejay");
    EXPECT_TRUE(world.desktop.isVisible(notepad));
}

TEST_F(WrongPassword, AnEmptyBoxIsWrongInEveryCheckedMode) {
    for (const char* mode : {"app", "cfg", "reg", "ie", "ff", "ex", "tm", "ins", "un"}) {
        SCOPED_TRACE(mode);
        open(mode, "Locked");
        pressEnter();
        EXPECT_EQ(prompt(), kInvalid);
        EXPECT_TRUE(shown());
        EXPECT_EQ(state.lock.mode, mode);
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
    EXPECT_EQ(allowList->count(), 1);
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
