// What the program may count on from the desktop of top-level windows, on the real one and the simulated one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <memory>

#include "tests/contract/WindowBackends.h"

namespace {

std::string folded(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

class DesktopContract : public ::testing::Test {
protected:
    WindowId foreign(const std::string& title, const std::string& className, bool visible = true) {
        const WindowId window = backend->createForeignWindow(title, className, visible);
        EXPECT_TRUE(window) << title;
        return window;
    }
    // Where the window stands in the Z order, 0 at the front; -1 when it is not a top-level window.
    static int zPosition(const std::vector<WindowId>& zOrder, WindowId window) {
        const auto found = std::find(zOrder.begin(), zOrder.end(), window);
        return found == zOrder.end() ? -1 : static_cast<int>(found - zOrder.begin());
    }
    bool inFrontOf(WindowId front, WindowId back) {
        const std::vector<WindowId> zOrder = desktop.topLevelWindows();
        return zPosition(zOrder, back) >= 0 && zPosition(zOrder, front) >= 0 &&
               zPosition(zOrder, front) < zPosition(zOrder, back);
    }

    std::unique_ptr<contract::WindowBackend> backend = contract::makeWindowBackend();
    IDesktop& desktop = backend->desktop();
};

TEST_F(DesktopContract, FindIgnoresCaseAndTakesTheFrontMostMatchHiddenOnesIncluded) {
    const WindowId older = foreign("Contract Task Manager", "ContractTaskManagerWindow");
    const WindowId hidden = foreign("Contract Task Manager", "ContractTaskManagerWindow", false);
    const WindowId device = foreign("Ger\xC3\xA4te \xC3\x96l", "ContractOther");
    EXPECT_EQ(desktop.findWindow(std::nullopt, "contract TASK manager"), hidden);
    EXPECT_EQ(desktop.findWindow("contracttaskmanagerwindow", std::nullopt), hidden);
    EXPECT_EQ(desktop.findWindow("CONTRACTOTHER", "GER\xC3\x84TE \xC3\xB6L"), device);
    EXPECT_FALSE(desktop.findWindow(std::nullopt, "Contract Task Manage"));
    EXPECT_FALSE(desktop.findWindow("ContractOther", "Contract Task Manager"));
    backend->userClicks(older);
    EXPECT_EQ(desktop.findWindow(std::nullopt, "Contract Task Manager"), older);
}

TEST_F(DesktopContract, HidingTheForegroundWindowHandsTheForegroundToTheNextShownOne) {
    const WindowId back = foreign("Contract Back", "ContractWindow");
    const WindowId front = foreign("Contract Front", "ContractWindow");
    backend->settle();
    ASSERT_EQ(desktop.foregroundWindow(), front);
    EXPECT_TRUE(inFrontOf(front, back));
    ASSERT_TRUE(desktop.showWindowAsync(front, ShowCommand::Hide));
    backend->settle();
    EXPECT_FALSE(desktop.isVisible(front));
    EXPECT_EQ(desktop.windowStyle(front) & kWsVisible, 0u);
    EXPECT_EQ(desktop.foregroundWindow(), back);
    ASSERT_TRUE(desktop.showWindowAsync(front, ShowCommand::Show));
    backend->settle();
    EXPECT_EQ(desktop.foregroundWindow(), front);
    EXPECT_TRUE(inFrontOf(front, back));
    EXPECT_EQ(desktop.windowStyle(front) & kWsCaption, kWsCaption);
}

// SW_MINIMIZE activates the next top-level window: an installer the watch minimizes is no longer the
// foreground one.
TEST_F(DesktopContract, MinimizingTheForegroundWindowHandsTheForegroundOn) {
    const WindowId back = foreign("Contract Back", "ContractWindow");
    const WindowId front = foreign("Contract Front", "ContractWindow");
    backend->settle();
    ASSERT_TRUE(desktop.showWindowAsync(front, ShowCommand::Minimize));
    backend->settle();
    EXPECT_TRUE(desktop.isMinimized(front));
    EXPECT_TRUE(desktop.isVisible(front));
    const std::string differs = backend->minimizeKeepsForeground();
    if (!differs.empty()) GTEST_SKIP() << differs;
    EXPECT_EQ(desktop.foregroundWindow(), back);
}

// The lock record keeps the process of the locked window: the program's own forms must never look like it. A start
// tells a running instance by the program file behind its window, whatever the case of the path's letters.
TEST_F(DesktopContract, AnotherProgramsTitleAndProcessAreReadAndAGoneWindowAnswersNothing) {
    const WindowId window = foreign("Contract \xC3\x96l \xF0\x9F\x98\x80", "ContractWindow");
    auto form = backend->toolkit().createForm({.name = "frmDummy"});
    EXPECT_EQ(desktop.windowText(window), "Contract \xC3\x96l \xF0\x9F\x98\x80");
    EXPECT_EQ(desktop.className(window), "ContractWindow");
    EXPECT_EQ(desktop.processId(form->id()), backend->ownProcessId());
    EXPECT_EQ(folded(desktop.programFile(form->id())), folded(backend->ownProgramFile()));
    EXPECT_FALSE(backend->ownProgramFile().empty());
    const uint32_t process = desktop.processId(window);
    EXPECT_NE(process, 0u);
    if (backend->otherProgramIsThisProcess().empty()) {
        EXPECT_NE(process, backend->ownProcessId());
    }
    ASSERT_TRUE(desktop.setWindowText(window, "###"));
    EXPECT_EQ(desktop.windowText(window), "###");
    backend->destroyForeignWindow(window);
    EXPECT_FALSE(desktop.isWindow(window));
    EXPECT_EQ(desktop.windowText(window), "");
    EXPECT_EQ(desktop.className(window), "");
    EXPECT_EQ(desktop.processId(window), 0u);
    EXPECT_EQ(desktop.programFile(window), "");
    EXPECT_FALSE(desktop.setWindowText(window, "x"));
    EXPECT_FALSE(desktop.setTopmost(window, true));
    EXPECT_FALSE(desktop.isVisible(window));
    EXPECT_FALSE(desktop.postClose(window));
    EXPECT_EQ(zPosition(desktop.topLevelWindows(), window), -1);
}

TEST_F(DesktopContract, ATopmostWindowStaysInFrontAndTheSystemMenusCloseGoesOnce) {
    const WindowId window = foreign("Contract Topmost", "ContractWindow");
    EXPECT_FALSE(desktop.isTopmost(window));
    ASSERT_TRUE(desktop.setTopmost(window, true));
    EXPECT_TRUE(desktop.isTopmost(window));
    const WindowId later = foreign("Contract Later", "ContractWindow");
    backend->settle();
    EXPECT_EQ(desktop.foregroundWindow(), later);
    EXPECT_TRUE(inFrontOf(window, later)) << "a topmost window stays above one that comes to the front";
    ASSERT_TRUE(desktop.setTopmost(window, false));
    EXPECT_FALSE(desktop.isTopmost(window));
    EXPECT_TRUE(desktop.hasSystemMenuCommand(window, kScClose));
    EXPECT_TRUE(desktop.removeSystemMenuCommand(window, kScClose));
    EXPECT_FALSE(desktop.removeSystemMenuCommand(window, kScClose));
    EXPECT_FALSE(desktop.hasSystemMenuCommand(window, kScClose));
}

TEST_F(DesktopContract, APostedCloseEndsAnotherProgramsWindow) {
    const WindowId window = foreign("Contract Closing", "ContractWindow");
    EXPECT_TRUE(desktop.postClose(window));
    for (int i = 0; i < 20 && desktop.isWindow(window); ++i) backend->settle();
    EXPECT_FALSE(desktop.isWindow(window));
}

// The locked window's program may hang: retitling it gives up within a moment and changes nothing, not even
// once the program answers again; reading its title and the posted calls never wait for it.
TEST_F(DesktopContract, ARetitleGivesUpOnAProgramThatStoppedAnsweringPostedCallsStillReachIt) {
    const WindowId window = foreign("Contract Hung", "ContractWindow");
    backend->setHung(window, true);
    EXPECT_FALSE(backend->callBlocks([&] {
        EXPECT_FALSE(desktop.setWindowText(window, "###"));
        EXPECT_EQ(desktop.windowText(window), "Contract Hung");
    }));
    EXPECT_FALSE(backend->callBlocks([&] { EXPECT_TRUE(desktop.showWindowAsync(window, ShowCommand::Hide)); }));
    EXPECT_TRUE(desktop.isVisible(window)) << "the program hides its window when it takes the message";
    backend->setHung(window, false);
    backend->settle();
    EXPECT_EQ(desktop.windowText(window), "Contract Hung") << "a retitle given up on arrived late";
    EXPECT_FALSE(desktop.isVisible(window)) << "the posted hide waits for the program, then arrives";
    EXPECT_TRUE(desktop.setWindowText(window, "###"));
    backend->setHung(window, true);
    EXPECT_FALSE(backend->callBlocks([&] { EXPECT_TRUE(desktop.postClose(window)); }));
    EXPECT_TRUE(desktop.isWindow(window));
    backend->setHung(window, false);
    for (int i = 0; i < 20 && desktop.isWindow(window); ++i) backend->settle();
    EXPECT_FALSE(desktop.isWindow(window)) << "the posted close waited for the program to answer again";
}

// A form raised from a timer while the user works in another program does not take the foreground.
TEST_F(DesktopContract, AProgramWithoutTheUsersLastInputCannotTakeTheForeground) {
    const std::string missing = backend->foregroundLockMissing();
    if (!missing.empty()) GTEST_SKIP() << missing;
    auto form = backend->toolkit().createForm({.name = "frmPassword", .caption = "Restrictions"});
    int activations = 0;
    form->onActivate([&] { ++activations; });
    const WindowId editor = foreign("Contract Editor", "ContractWindow");
    form->show();
    backend->settle();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(desktop.foregroundWindow(), editor);
    EXPECT_TRUE(desktop.showWindowAsync(form->id(), ShowCommand::Show));
    backend->settle();
    EXPECT_EQ(desktop.foregroundWindow(), editor);
    EXPECT_EQ(activations, 0);
    backend->userClicks(form->id());
    EXPECT_EQ(desktop.foregroundWindow(), form->id());
    EXPECT_EQ(activations, 1);
    auto second = backend->toolkit().createForm({.name = "frmDummy"});
    second->show();
    EXPECT_EQ(desktop.foregroundWindow(), second->id()) << "the foreground process may bring up its next window";
}

}  // namespace
