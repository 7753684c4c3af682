// frmPassword's Cancel, its half-second wait, the desktop toggle with the decoy window, and the installer unlock.
#include "tests/password/PasswordDialogFixture.h"

namespace pwtest {
namespace {

using CancelSequence = PasswordDialogScenario;
using DesktopToggle = PasswordDialogScenario;
using InstallerUnlock = PasswordDialogScenario;

TEST_F(CancelSequence, AnswersCancelledAfterHalfASecondSayingWaitMeanwhile) {
    const WindowId editorWindow = lockEditorWindow("Editor");
    const int64_t pressed = world.now();
    std::string captionDuring;
    bool enabledDuring = true;
    size_t answersDuring = 1;
    after(250, [&] {
        captionDuring = cancelButton().text();
        enabledDuring = cancelButton().isEnabled();
        answersDuring = owner.answers.size();
    });
    pressEscape();
    EXPECT_EQ(captionDuring, "Wait...");
    EXPECT_FALSE(enabledDuring);
    EXPECT_EQ(answersDuring, 0u);
    EXPECT_EQ(world.now() - pressed, 500);
    EXPECT_FALSE(shown());
    EXPECT_FALSE(host.answering());
    EXPECT_EQ(lastAnswer().second, LockAnswer::Cancelled);
    EXPECT_EQ(lastAnswer().first.window, editorWindow);
}

TEST_F(CancelSequence, ALockWithoutAWindowClosesNothing) {
    const WindowId bystander = world.desktop.createWindow("Untitled - Notepad", "Notepad");
    open("un", "Uninstall Obelon Pro");
    run([&] { cancelButton().click(); });
    EXPECT_FALSE(shown());
    EXPECT_TRUE(world.desktop.isWindow(bystander));
    EXPECT_EQ(world.desktop.closeMessagesPosted(bystander), 0);
    EXPECT_FALSE(state.uninstallPermitted);
}

TEST_F(CancelSequence, WithKeepTickedTheBoxIsRememberedRightOrWrong) {
    open("cfg", "Configuration");
    run([&] { keep().setChecked(true); });
    type("Guess");
    pressEscape();
    EXPECT_EQ(state.rememberedPassword, "guess");
    EXPECT_FALSE(state.configUnlocked);
}

// The session's end and the start-up lock: over the whole screen, and only the password ends them.
TEST_F(CancelSequence, ALockOverTheDesktopIgnoresTheButtonAndEsc) {
    raise({.mode = LockMode::Task, .label = "Microsoft Windows\xC2\xAE", .coversDesktop = true});
    EXPECT_TRUE(dialog()->coversScreen());
    pressEscape();
    run([&] { cancelButton().click(); });
    world.advance(1000);
    EXPECT_TRUE(shown());
    EXPECT_TRUE(asking(LockMode::Task));
    answer("bluejay");
    EXPECT_FALSE(shown());
    EXPECT_TRUE(unlocked(LockMode::Task));
}

TEST_F(CancelSequence, OkDuringTheWaitChangesNothing) {
    const WindowId editorWindow = lockEditorWindow("Editor");
    type("bluejay");
    after(100, [&] { dialog()->pressEnter(); });
    pressEscape();
    EXPECT_EQ(world.desktop.windowText(editorWindow), "###");
    ASSERT_EQ(owner.answers.size(), 1u);
    EXPECT_EQ(lastAnswer().second, LockAnswer::Cancelled);
}

// The watch locks another window while the wait runs: Cancel still answers only its own request, and the new
// lock gets a dialog of its own instead of being closed or forgotten.
TEST_F(CancelSequence, ALockRaisedDuringTheWaitGetsItsOwnDialog) {
    const WindowId editorWindow = lockEditorWindow("Editor");
    WindowId calculator{};
    after(200, [&] {
        calculator = world.desktop.createWindow("Calculator", "CalcFrame");
        (void)world.desktop.showWindowAsync(calculator, ShowCommand::Hide);
        host.raiseLock({.mode = LockMode::Task, .window = calculator, .label = "Calculator", .windowClass = "CalcFrame"});
    });
    pressEscape();
    EXPECT_EQ(lastAnswer().first.window, editorWindow);
    EXPECT_EQ(lastAnswer().second, LockAnswer::Cancelled);
    ASSERT_TRUE(shown());
    EXPECT_EQ(text("lblTask"), "Calculator");
    EXPECT_TRUE(cancelButton().isEnabled());
    answer("bluejay");
    EXPECT_TRUE(unlocked(LockMode::Task, calculator));
}

// A lock over the whole session cannot wait behind a task's dialog, which leaves the rest of the screen usable:
// it goes first, and the task's request is asked again after it.
TEST_F(CancelSequence, TheSessionsEndGoesBeforeAWaitingTaskWhichIsAskedAgainAfter) {
    const WindowId notepad = lockTaskWindow("Untitled - Notepad", "Notepad", "Notepad");
    raise({.mode = LockMode::Task, .label = "Expired Windows\xC2\xAE Session", .coversDesktop = true});
    EXPECT_EQ(text("lblTask"), "Expired Windows\xC2\xAE Session");
    EXPECT_FALSE(cancelButton().isEnabled());
    answer("bluejay");
    EXPECT_TRUE(unlocked(LockMode::Task));
    ASSERT_TRUE(shown());
    EXPECT_EQ(text("lblTask"), "Notepad");
    EXPECT_FALSE(dialog()->coversScreen());
    answer("bluejay");
    EXPECT_TRUE(unlocked(LockMode::Task, notepad));
}

// A dialog left minimized would let new locks hide windows with no prompt in sight: it comes straight back.
TEST_F(CancelSequence, AMinimizedDialogComesBackAtOnce) {
    lockTaskWindow("Untitled - Notepad", "Notepad", "Notepad");
    run([&] { dialog()->setWindowState(ui::WindowState::Minimized); });
    EXPECT_EQ(dialog()->windowState(), ui::WindowState::Normal);
    (void)world.desktop.showWindowAsync(dialog()->id(), ShowCommand::Minimize);
    world.advance(0);
    EXPECT_EQ(dialog()->windowState(), ui::WindowState::Normal);
    EXPECT_TRUE(shown());
}

// WM_QUIT (Windows ends the session) during the half-second wait ends the wait instead of spinning for ever.
TEST_F(CancelSequence, AQuitEndsTheWait) {
    lockEditorWindow("Editor");
    const int64_t pressed = world.now();
    after(100, [&] { process.toolkit().postQuit(); });
    pressEscape();
    EXPECT_LT(world.now() - pressed, 500);
    EXPECT_FALSE(shown());
}

TEST_F(DesktopToggle, RunsOnlyForRegistryToolsAndInstallersWithTheQuotedPath) {
    for (const char* mode : {"app", "cfg", "ie", "ff", "ex", "tm", "un", "pwd"}) {
        SCOPED_TRACE(mode);
        open(mode, "Locked");
        pressEscape();
    }
    EXPECT_EQ(desktopToggles(), 0);
    EXPECT_EQ(process.toolkit().findForm("frmDummy"), nullptr);

    open("reg", "Registry Tools");
    ASSERT_EQ(process.shell().executed().size(), 1u);
    const ShellExecuteArgs& toggle = process.shell().executed()[0];
    EXPECT_EQ(toggle.owner, dialog()->id());
    EXPECT_EQ(toggle.verb, "Open");
    EXPECT_EQ(toggle.file, kDesktopToggle);
    EXPECT_EQ(toggle.parameters, std::optional<std::string>(""));
    EXPECT_EQ(toggle.directory, std::optional<std::string>(""));
    EXPECT_EQ(toggle.show, ShowCommand::ShowNormal);
    pressEscape();
    EXPECT_EQ(desktopToggles(), 2);
}

TEST_F(DesktopToggle, TheDecoyShowsItsTextAndLeavesOnceMinimized) {
    open("reg", "Registry Tools");
    sim::SimForm* decoy = process.toolkit().findForm("frmDummy");
    ASSERT_NE(decoy, nullptr);
    EXPECT_TRUE(decoy->isVisible());
    EXPECT_EQ(decoy->caption(), "obelon");
    EXPECT_EQ(decoy->findControl("Label1")->text(), "This task is protected by Windows UAC.");
    world.advance(1000);
    EXPECT_TRUE(decoy->isVisible());
    decoy->setWindowState(ui::WindowState::Minimized);
    world.advance(1000);
    EXPECT_FALSE(decoy->isVisible());
    EXPECT_TRUE(shown());
}

// Where the toggle did nothing (no shell association, as under Wine) the decoy was never minimized: it goes
// with the lock all the same.
TEST_F(DesktopToggle, TheDecoyGoesWhenTheLockEnds) {
    process.shell().setExecuteResult(31);
    open("reg", "Registry Tools");
    answer("bluejay");
    sim::SimForm* decoy = process.toolkit().findForm("frmDummy");
    EXPECT_TRUE(decoy == nullptr || !decoy->isVisible());

    open("reg", "Registry Tools");
    pressEscape();
    decoy = process.toolkit().findForm("frmDummy");
    EXPECT_TRUE(decoy == nullptr || !decoy->isVisible());
}

TEST_F(InstallerUnlock, InstallsArePermittedTheInstallerStaysOpenAndTheDecoyGoes) {
    state.protections.ins = true;
    const WindowId start = world.desktop.createWindow("Start", "Button", false);
    const WindowId installer = world.desktop.createWindow("Product Setup", "MsiDialog");
    ASSERT_TRUE(world.desktop.showWindowAsync(installer, ShowCommand::Minimize));
    open("ins", "Installation Program", installer);
    EXPECT_EQ(dialog()->windowState(), ui::WindowState::Maximized);
    const int64_t pressed = world.now();
    answer("BlueJay");
    EXPECT_EQ(world.now() - pressed, 500);
    EXPECT_TRUE(unlocked(LockMode::Installer, installer));
    EXPECT_TRUE(world.desktop.isVisible(start));
    EXPECT_EQ(world.desktop.closeMessagesPosted(installer), 0);
    EXPECT_TRUE(world.desktop.isWindow(installer));
    ASSERT_NE(message.form(), nullptr);
    EXPECT_TRUE(message.form()->isVisible());
    EXPECT_EQ(state.messageText, "All Software Installations are permitted until you Log-Off or Restart Windows.");
    EXPECT_EQ(desktopToggles(), 2);
    EXPECT_FALSE(process.toolkit().findForm("frmDummy")->isVisible());
    EXPECT_FALSE(shown());
    EXPECT_FALSE(host.answering());
}

}  // namespace
}  // namespace pwtest
