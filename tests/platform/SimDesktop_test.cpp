// The simulated desktop: finding windows, Z order and the foreground, and closing windows.
#include <gtest/gtest.h>

#include "tests/support/SimMachine.h"

namespace {

using testsupport::SimMachine;

using SimDesktopWindows = SimMachine;

TEST_F(SimDesktopWindows, IdsStartAtTheFirstHandleAndStepByFour) {
    const WindowId first = world.desktop.createWindow("Untitled - Notepad", "Notepad");
    const WindowId second = world.desktop.createWindow("Registry Editor", "RegEdit_RegEdit");
    EXPECT_EQ(first.v, 0x10000u);
    EXPECT_EQ(second.v, 0x10004u);
}

TEST_F(SimDesktopWindows, PostedCloseEndsAForeignWindowAndIsCounted) {
    const WindowId notepad = world.desktop.createWindow("Untitled - Notepad", "Notepad");
    EXPECT_TRUE(world.desktop.postClose(notepad));
    EXPECT_FALSE(world.desktop.isWindow(notepad));
    EXPECT_EQ(world.desktop.closeMessagesPosted(notepad), 1);
    EXPECT_FALSE(world.desktop.postClose(notepad));
    EXPECT_EQ(world.desktop.closeMessagesPosted(notepad), 1);
    EXPECT_EQ(world.desktop.foregroundWindow(), WindowId{});
}

using SimDesktopForms = SimMachine;

TEST_F(SimDesktopForms, AFormIsAHiddenWindowOfItsProcessUntilShown) {
    sim::SimInstance& app = startProcess();
    auto form = app.toolkit().createForm({.name = "frmobelon", .caption = "Obelon Pro Configuration Tool"});
    const std::optional<sim::SimWindow> window = world.desktop.window(form->id());
    ASSERT_TRUE(window);
    EXPECT_EQ(window->className, "ObelonForm");
    EXPECT_EQ(window->title, "Obelon Pro Configuration Tool");
    EXPECT_EQ(window->process, app.id());
    EXPECT_FALSE(window->visible);
    EXPECT_EQ(world.desktop.findWindow("ObelonForm", "Obelon Pro Configuration Tool"), form->id());
}

TEST_F(SimDesktopForms, ChangesFromOutsideReachTheForm) {
    sim::SimInstance& app = startProcess();
    auto form = app.toolkit().createForm({.name = "frmobelon", .caption = "Obelon"});
    ASSERT_TRUE(world.desktop.setWindowText(form->id(), "#obelon init"));
    EXPECT_EQ(form->caption(), "#obelon init");
    ASSERT_TRUE(world.desktop.showWindowAsync(form->id(), ShowCommand::Minimize));
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->windowState(), ui::WindowState::Minimized);
    ASSERT_TRUE(world.desktop.showWindowAsync(form->id(), ShowCommand::Hide));
    EXPECT_FALSE(form->isVisible());
}

TEST_F(SimDesktopForms, ActivationFromOutsideWaitsForTheFormsProcessToLetEventsRun) {
    sim::SimInstance& app = startProcess();
    auto form = app.toolkit().createForm({.name = "frmA"});
    form->show();
    int activations = 0;
    form->onActivate([&] { ++activations; });
    world.desktop.createWindow("Untitled - Notepad", "Notepad");
    world.desktop.setForeground(form->id());
    EXPECT_EQ(world.desktop.foregroundWindow(), form->id());
    EXPECT_EQ(activations, 0);
    app.toolkit().processEvents();
    EXPECT_EQ(activations, 1);
    world.desktop.setForeground(form->id());
    app.toolkit().processEvents();
    EXPECT_EQ(activations, 1);
}

// A form raised while the user works in another program comes up behind it, its taskbar button flashing.
TEST_F(SimDesktopForms, AFormShownWithoutTheForegroundRightComesUpBehindTheForegroundAndFlashes) {
    sim::SimInstance& app = startProcess();
    auto form = app.toolkit().createForm({.name = "frmPassword"});
    const WindowId back = world.desktop.createWindow("Back", "A");
    const WindowId editor = world.desktop.createWindow("Untitled - Notepad", "Notepad");
    form->show();
    EXPECT_EQ(world.desktop.topLevelWindows(), (std::vector<WindowId>{editor, form->id(), back}));
    EXPECT_EQ(world.desktop.flashes(form->id()), 1);
    world.desktop.allowForeground(app.id());
    form->show();
    EXPECT_EQ(world.desktop.foregroundWindow(), form->id());
    EXPECT_EQ(world.desktop.flashes(form->id()), 1);
}

// Windows activates the window beneath the one that hides; a form there hears of it.
TEST_F(SimDesktopForms, FormBeneathAHiddenForegroundIsActivated) {
    sim::SimInstance& app = startProcess();
    auto under = app.toolkit().createForm({.name = "frmUnder"});
    auto over = app.toolkit().createForm({.name = "frmOver"});
    under->show();
    over->show();
    int activations = 0;
    under->onActivate([&] { ++activations; });
    over->hide();
    app.toolkit().processEvents();
    EXPECT_EQ(activations, 1);
    EXPECT_EQ(world.desktop.foregroundWindow(), under->id());
}

}  // namespace
