#include <gtest/gtest.h>

#include <memory>

#include "common/ConfigSchema.h"
#include "registry/RegistryEdit.h"
#include "tests/support/Accounts.h"
#include "tests/support/RunningProgram.h"

using testsupport::RunningProgram;
using testsupport::startProgram;

namespace {

constexpr const char* kTasks = "Software\\OBP\\Tasks";

// A started program whose stored task list is the given one, each entry "text,flag"; the dialog every start
// opens for the configuration has been cancelled.
class WatchScenario : public ::testing::Test {
protected:
    void start(const std::vector<std::string>& storedTasks) {
        for (size_t slot = 0; slot < storedTasks.size(); ++slot) {
            SetStringValue(world.registry, RootKey::LocalMachine, kTasks, config::slotName(static_cast<int>(slot)),
                           storedTasks[slot]);
        }
        program = startProgram(world);
        ASSERT_TRUE(program.running);
        program.cancelPasswordDialogs();
    }
    void tick() { world.advance(1000); }
    bool isLocked(WindowId window) {
        return world.desktop.windowText(window) == "###" && !world.desktop.isVisible(window);
    }
    // The dialog is open for this task window, and says so.
    bool asksFor(WindowId window, const std::string& label) {
        const LockRequest* open = program.openLock();
        return open && open->mode == LockMode::Task && open->window == window && open->label == label &&
               program.passwordDialog()->isVisible() &&
               program.passwordDialog()->findControl("lblTask")->text() == label;
    }
    void answer() { program.answerPassword("bluejay"); }
    void cancel() {
        program.run([&] { program.passwordDialog()->pressEscape(); });
        world.advance(600);
    }
    bool given(WindowId window, const std::string& title) {
        return world.desktop.windowText(window) == title && world.desktop.isVisible(window);
    }
    // A window of another program that stays open when asked to close (it asks about unsaved work, say).
    WindowId keepingWindow(const std::string& title) {
        EXPECT_TRUE(editor.run([&] {
            editorWindow = editor.toolkit().createForm({.name = "editor", .caption = title});
            editorWindow->onCloseRequest([] {});
            editorWindow->show();
        }));
        return editorWindow->id();
    }

    sim::SimWorld world;
    sim::SimInstance editor{world};
    std::unique_ptr<ui::Form> editorWindow;
    RunningProgram program;
};

}  // namespace

TEST_F(WatchScenario, ACheckedTaskInTheTitleHidesTheWindowUntilThePasswordGivesItBackUnderItsOwnTitle) {
    start({"Notepad,1"});
    const WindowId notepad = world.desktop.createWindow("Report.txt - Notepad", "Notepad");
    tick();
    EXPECT_TRUE(isLocked(notepad));
    EXPECT_TRUE(asksFor(notepad, "Notepad"));
    ui::Timer& heldGuard = *program.app->configWindow().form().findTimer("tmrHeld");
    EXPECT_TRUE(heldGuard.isEnabled()) << "a held window that comes back is hidden again at once";
    answer();
    EXPECT_TRUE(given(notepad, "Report.txt - Notepad"));
    EXPECT_FALSE(heldGuard.isEnabled()) << "the guard costs nothing while no window is held";
    EXPECT_FALSE(program.openLock());
    EXPECT_EQ(program.items("lstAllow"), (std::vector<std::string>{"Notepad"}));
}

// The window in front, or its title, changed: the scan runs at once instead of at the next one-second tick.
TEST_F(WatchScenario, ANewWindowInFrontOrANewTitleIsScannedLongBeforeTheNextTick) {
    start({"Notepad,1", "Secret,1"});
    world.advance(1000 - world.now() % 1000 + 100);  // well clear of the next tick
    const WindowId notepad = world.desktop.createWindow("Untitled - Notepad", "Notepad");
    world.advance(50);
    EXPECT_TRUE(isLocked(notepad));
    answer();
    const WindowId browser = world.desktop.createWindow("News - Browser", "BrowserFrame");
    world.advance(50);
    ASSERT_FALSE(isLocked(browser));
    (void)world.desktop.setWindowText(browser, "Secret page - Browser");
    world.advance(150);
    EXPECT_TRUE(isLocked(browser));
}

TEST_F(WatchScenario, MatchingIsCaseSensitiveAndUncheckedEntriesNeverLock) {
    start({"notepad,1", "Notepad,0"});
    const WindowId notepad = world.desktop.createWindow("Untitled - Notepad", "Notepad");
    tick();
    tick();
    EXPECT_FALSE(isLocked(notepad));
    EXPECT_EQ(world.desktop.windowText(notepad), "Untitled - Notepad");
    EXPECT_FALSE(program.openLock());
}

TEST_F(WatchScenario, TwoMatchingEntriesLockTheWindowOnceNamedByTheLast) {
    start({"Internet,1", "Explorer,1"});
    const WindowId browser = world.desktop.createWindow("Internet Explorer", "IEFrame");
    tick();
    EXPECT_TRUE(isLocked(browser));
    EXPECT_TRUE(asksFor(browser, "Explorer"));
    EXPECT_EQ(program.waitingLocks(), 0u);
}

// Notepad with unsaved text, then Paint before the password: each is answered in turn, neither is forgotten.
// A tray click meanwhile asks for the configuration after them instead of taking the dialog over.
TEST_F(WatchScenario, TwoLockedWindowsAndATrayClickAreAnsweredInTurn) {
    start({"Notepad,1", "Paint,1"});
    const WindowId notepad = world.desktop.createWindow("*notes - Notepad", "Notepad");
    tick();
    const WindowId paint = world.desktop.createWindow("Untitled - Paint", "MSPaintApp");
    tick();
    EXPECT_TRUE(isLocked(notepad));
    EXPECT_TRUE(isLocked(paint));
    EXPECT_TRUE(asksFor(notepad, "Notepad"));
    program.run([&] { program.process->shell().clickTray(program.configForm().id(), 1, 514); });
    tick();
    EXPECT_EQ(program.waitingLocks(), 2u);

    answer();
    EXPECT_TRUE(given(notepad, "*notes - Notepad"));
    EXPECT_TRUE(asksFor(paint, "Paint"));
    cancel();
    EXPECT_FALSE(world.desktop.isWindow(paint));
    ASSERT_TRUE(program.openLock());
    EXPECT_EQ(program.openLock()->mode, LockMode::Configuration);
    EXPECT_EQ(program.openLock()->label, "Configuration");
}

// A program that restores itself (from its tray icon, a second launch, a hidden window answering Cancel's close)
// shows a window no title names any more: it is hidden again at once, and asks for the password again.
TEST_F(WatchScenario, ALockedWindowShownAgainByItsProgramIsHiddenAgainAtOnce) {
    start({"Notepad,1"});
    const WindowId notepad = keepingWindow("Untitled - Notepad");
    tick();
    ASSERT_TRUE(isLocked(notepad));
    ASSERT_TRUE(asksFor(notepad, "Notepad"));
    editor.run([&] {
        editorWindow->setCaption("Untitled - Notepad");
        editorWindow->show();
    });
    world.advance(100);
    EXPECT_FALSE(world.desktop.isVisible(notepad));
    tick();
    EXPECT_TRUE(isLocked(notepad));
    EXPECT_TRUE(asksFor(notepad, "Notepad"));
    EXPECT_EQ(program.waitingLocks(), 0u);

    // Cancel could not close it: it stays held, and when its program shows it again it asks again.
    cancel();
    EXPECT_EQ(world.desktop.closeMessagesPosted(notepad), 2);
    EXPECT_FALSE(program.openLock());
    EXPECT_FALSE(world.desktop.isVisible(notepad));
    editor.run([&] { editorWindow->show(); });
    world.advance(100);
    EXPECT_FALSE(world.desktop.isVisible(notepad));
    EXPECT_TRUE(asksFor(notepad, "Notepad"));
    answer();
    EXPECT_TRUE(given(notepad, "Untitled - Notepad"));
}

// Cancel could not close the window: its program asks about unsaved work in a box of its own, which matches the
// task too. The password for that box gives back the program's window that no request was left for.
TEST_F(WatchScenario, AWindowLeftHeldAfterCancelComesBackWithItsProgramsNextUnlock) {
    start({"Notepad,1"});
    const WindowId notepad = keepingWindow("notes - Notepad");
    tick();
    cancel();
    ASSERT_TRUE(isLocked(notepad));
    std::unique_ptr<ui::Form> prompt;
    editor.run([&] {
        prompt = editor.toolkit().createForm({.name = "prompt", .caption = "Notepad"});
        prompt->show();
    });
    tick();
    ASSERT_TRUE(asksFor(prompt->id(), "Notepad"));
    answer();
    EXPECT_TRUE(given(prompt->id(), "Notepad"));
    EXPECT_TRUE(given(notepad, "notes - Notepad"));
}

// The locked program ends by itself: nothing is left to unlock, so its dialog goes too.
TEST_F(WatchScenario, ALockedWindowThatGoesTakesItsDialogWithIt) {
    start({"Notepad,1"});
    const WindowId notepad = world.desktop.createWindow("Untitled - Notepad", "Notepad");
    tick();
    ASSERT_TRUE(asksFor(notepad, "Notepad"));
    world.desktop.destroyWindow(notepad);
    world.advance(100);
    EXPECT_FALSE(program.openLock());
    EXPECT_FALSE(program.passwordDialog()->isVisible());
}

// A program that stopped answering cannot hold this one up: the retitle gives up, the hide waits in its queue (it
// takes no input meanwhile), the dialog opens and the timers run on. Once it answers it is hidden first, and
// retitled at the next tick.
TEST_F(WatchScenario, AWindowWhoseProgramDoesNotAnswerIsHiddenAndRetitledOnceItAnswers) {
    start({"Notepad,1"});
    const WindowId notepad = world.desktop.createWindow("Untitled - Notepad", "Notepad");
    world.desktop.setHung(notepad, true);
    tick();
    EXPECT_TRUE(asksFor(notepad, "Notepad"));
    EXPECT_EQ(world.desktop.windowText(notepad), "Untitled - Notepad");
    tick();
    tick();
    world.desktop.setHung(notepad, false);
    EXPECT_FALSE(world.desktop.isVisible(notepad));
    tick();
    EXPECT_TRUE(isLocked(notepad));
    answer();
    EXPECT_TRUE(given(notepad, "Untitled - Notepad"));
}

// Only the program whose window was unlocked is let go, and only while it has a window of that class.
TEST_F(WatchScenario, AnAllowedClassCoversOnlyTheUnlockedProgramUntilItsWindowsHaveClosed) {
    start({"Chrome,1"});
    constexpr uint32_t kBrowser = 501;
    constexpr uint32_t kChatApp = 502;
    const WindowId first = world.desktop.createWindow("News - Chrome", "Chrome_WidgetWin_1", true, kBrowser);
    tick();
    answer();
    const WindowId second = world.desktop.createWindow("Mail - Chrome", "Chrome_WidgetWin_1", true, kBrowser);
    tick();
    EXPECT_FALSE(isLocked(second));
    const WindowId other = world.desktop.createWindow("Chrome chat", "Chrome_WidgetWin_1", true, kChatApp);
    tick();
    EXPECT_TRUE(isLocked(other));
    answer();
    EXPECT_EQ(program.items("lstAllow").size(), 2u);

    world.desktop.destroyWindow(first);
    world.desktop.destroyWindow(second);
    tick();
    EXPECT_EQ(program.items("lstAllow").size(), 1u);  // the browser has none left; the chat program has one
    const WindowId third = world.desktop.createWindow("Start - Chrome", "Chrome_WidgetWin_1", true, kBrowser);
    tick();
    EXPECT_TRUE(isLocked(third));
}

TEST_F(WatchScenario, VanishedAllowedProgramsLeaveOnePerTick) {
    start({"Pad,1"});
    for (const char* title : {"A - Pad", "B - Pad", "C - Pad"}) {
        const WindowId window = world.desktop.createWindow(title, title);
        tick();
        answer();
        world.desktop.destroyWindow(window);
    }
    ASSERT_EQ(program.items("lstAllow").size(), 1u);  // two went at the ticks that locked the next one
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
    EXPECT_TRUE(asksFor(paint, "Paint"));
}

TEST_F(WatchScenario, TheAdministratorIsExemptButIgnoreListReloadsStillHappen) {
    SetStringValue(world.registry, RootKey::LocalMachine, testsupport::accountKey(), "CurrentUser", "Enabled");
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

// An empty entry occurs in every title, but never locks what has none: no window at all, the taskbar or the
// desktop. Nor does it lock the program's own windows, or take over a lock that waits. The load skips a stored
// one, so here it is an edit of the list that has not been saved.
TEST_F(WatchScenario, AnEmptyEntryLocksForeignWindowsOnlyNeverTheShellTheProgramOrNoWindow) {
    start({"Notepad,0"});
    program.run([&] {
        program.list("lstTasks").addItem("");
        program.list("lstTasks").setChecked(1, true);
    });
    program.openConfigWindow();
    world.advance(0);
    ASSERT_EQ(world.desktop.foregroundWindow(), program.configForm().id());
    tick();
    EXPECT_TRUE(program.configForm().isVisible());
    EXPECT_EQ(program.configForm().caption(), "Obelon Pro Configuration Tool");
    EXPECT_FALSE(program.openLock());

    const WindowId other = world.desktop.createWindow("Calculator", "CalcFrame");
    tick();
    EXPECT_TRUE(isLocked(other));
    EXPECT_TRUE(asksFor(other, ""));
    const WindowId taskbar = world.desktop.createWindow("", "Shell_TrayWnd");
    tick();
    const WindowId desktop = world.desktop.createWindow("", "Progman");
    tick();
    EXPECT_TRUE(world.desktop.isVisible(taskbar));
    EXPECT_TRUE(world.desktop.isVisible(desktop));
    EXPECT_TRUE(asksFor(other, ""));
    EXPECT_EQ(program.waitingLocks(), 0u);
}

TEST_F(WatchScenario, AVeryLongTitleIsCutAt254CharactersForMatchingButGivenBackWhole) {
    // 252 two-byte characters and then "END": the cut falls inside "END", never inside a character.
    start({"\xC3\xA9" "EN,1", "END,1"});
    std::string title;
    for (int i = 0; i < 252; ++i) title += "\xC3\xA9";
    const WindowId window = world.desktop.createWindow(title + "END", "Long");
    tick();
    EXPECT_TRUE(isLocked(window));
    EXPECT_TRUE(asksFor(window, "\xC3\xA9" "EN"));
    answer();
    EXPECT_TRUE(given(window, title + "END"));
}
