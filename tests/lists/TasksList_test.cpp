// The task-window table over the desktop: which top-level windows count as task windows, in which
// order they come, and that a crowded desktop is listed whole.
#include "lists/TasksList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/SimPlatform.h"

namespace {

std::vector<std::string> titles(const TasksList& list) {
    std::vector<std::string> all;
    for (const TaskWindow& task : list.windows()) all.push_back(task.title);
    return all;
}

}  // namespace

TEST(TaskWindowTest, NeedsBothTheVisibleAndTheBorderBit) {
    sim::SimDesktop desktop;
    const WindowId both = desktop.createStyledWindow("a", "A", kWsVisible | kWsBorder);
    const WindowId visibleOnly = desktop.createStyledWindow("b", "B", kWsVisible | 0x00400000);  // dialog frame
    const WindowId borderOnly = desktop.createStyledWindow("c", "C", kWsBorder);
    const WindowId captioned = desktop.createWindow("d", "D");
    EXPECT_TRUE(IsTaskWindow(desktop, both));
    EXPECT_FALSE(IsTaskWindow(desktop, visibleOnly));
    EXPECT_FALSE(IsTaskWindow(desktop, borderOnly));
    EXPECT_TRUE(IsTaskWindow(desktop, captioned));
    desktop.showWindowAsync(captioned, ShowCommand::Hide);
    EXPECT_FALSE(IsTaskWindow(desktop, captioned));
    EXPECT_FALSE(IsTaskWindow(desktop, WindowId{}));
}

TEST(TaskWindowTest, AFormOfTheProgramCountsOnlyWhileShown) {
    sim::SimWorld world;
    sim::SimInstance app(world);
    auto form = app.toolkit().createForm({.name = "frmTest", .caption = "Test Form"});
    EXPECT_FALSE(IsTaskWindow(world.desktop, form->id()));
    form->show();
    EXPECT_TRUE(IsTaskWindow(world.desktop, form->id()));
    form->hide();
    EXPECT_FALSE(IsTaskWindow(world.desktop, form->id()));
}

TEST(TaskWindowTable, ComesInZOrderFrontFirstWithoutTheOwnWindow) {
    sim::SimDesktop desktop;
    desktop.createWindow("back", "X");
    const WindowId own = desktop.createWindow("own", "X");
    const WindowId middle = desktop.createWindow("middle", "X");
    desktop.createWindow("front", "X");
    TasksList list(desktop);
    list.EnumTaskWindows(own);
    EXPECT_EQ(titles(list), (std::vector<std::string>{"front", "middle", "back"}));
    EXPECT_EQ(list.windows()[1].window, middle);

    desktop.setForeground(middle);
    list.EnumTaskWindows(own);
    EXPECT_EQ(titles(list), (std::vector<std::string>{"middle", "front", "back"}));
}

TEST(TaskWindowTable, EachEnumerationStartsAfresh) {
    sim::SimDesktop desktop;
    const WindowId first = desktop.createWindow("first", "X");
    desktop.createWindow("second", "X");
    TasksList list(desktop);
    list.EnumTaskWindows({});
    ASSERT_EQ(list.windows().size(), 2u);
    desktop.destroyWindow(first);
    desktop.createWindow("", "Untitled");
    list.EnumTaskWindows({});
    EXPECT_EQ(titles(list), (std::vector<std::string>{"second"}));
}

TEST(TaskWindowTable, ACrowdedDesktopIsListedWhole) {
    sim::SimDesktop desktop;
    for (int i = 0; i < 1500; ++i) desktop.createWindow("Window " + std::to_string(i), "Crowd");
    TasksList list(desktop);
    list.EnumTaskWindows({});
    ASSERT_EQ(list.windows().size(), 1500u);
    EXPECT_EQ(list.windows().front().title, "Window 1499");
    EXPECT_EQ(list.windows().back().title, "Window 0");
}
