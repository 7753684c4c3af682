// What the task browser and the Tasks page use of the real toolkit and desktop: a link label's
// click and colour, a pick in a list, a press on a form's background, Esc on the cancel button, and
// the task-window table over the real top-level windows.
#include <windows.h>
#include <commctrl.h>
// winuser.h still maps the old EnumTaskWindows onto EnumThreadWindows; here the name is the table's.
#undef EnumTaskWindows

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "lists/TasksList.h"
#include "platform/win32/WinPlatform.h"
#include "platform/win32/WindowHandle.h"

namespace {

HWND childOf(ui::Form& form, const wchar_t* className, const wchar_t* text) {
    return ::FindWindowExW(toHwnd(form.id()), nullptr, className, text);
}

// A press and release of the left button at a point of the window's client area, as the mouse sends it.
void clickAt(HWND window, int x, int y) {
    ::PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    ::PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

class RealListsToolkit : public ::testing::Test {
protected:
    void SetUp() override {
        form =
            backend.toolkit().createForm({.name = "frmLists", .caption = "Lists toolkit", .width = 360, .height = 260});
        link = &form->addLabel({.name = "lnk", .caption = "How to Lock a Task", .rect = {12, 10, 150, 18}});
        list = &form->addListBox({.name = "lst", .caption = "", .rect = {12, 40, 200, 120}}, {.sorted = true});
        cancel = &form->addButton({.name = "cmdCancel", .caption = "Cancel", .rect = {240, 200, 80, 28}});
        form->setCancelButton(*cancel);
        link->onClick([this] { ++linkClicks; });
        list->onClick([this] { picked.push_back(list->selectedIndex()); });
        form->onMouseDown([this](ui::MouseButton button) { presses.push_back(button); });
        cancel->onClick([this] { ++cancels; });
        form->show();
        pump();
    }
    void TearDown() override { form.reset(); }
    void pump() {
        for (int i = 0; i < 5; ++i) {
            backend.toolkit().processEvents();
            ::Sleep(10);
        }
    }

    WinPlatform backend;
    std::unique_ptr<ui::Form> form;
    ui::Label* link = nullptr;
    ui::ListBox* list = nullptr;
    ui::Button* cancel = nullptr;
    int linkClicks = 0;
    int cancels = 0;
    std::vector<int> picked;
    std::vector<ui::MouseButton> presses;
};

}  // namespace

TEST_F(RealListsToolkit, AClickOnTheLinkLabelRunsItsHandler) {
    HWND label = childOf(*form, L"Static", L"How to Lock a Task");
    ASSERT_NE(label, nullptr);
    clickAt(label, 5, 5);
    pump();
    EXPECT_EQ(linkClicks, 1);
}

TEST_F(RealListsToolkit, TheLinkLabelIsPaintedInItsColour) {
    HWND label = childOf(*form, L"Static", L"How to Lock a Task");
    ASSERT_NE(label, nullptr);
    link->setForeColor(0xFF0000);
    HDC dc = ::GetDC(label);
    ::SendMessageW(toHwnd(form->id()), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                   reinterpret_cast<LPARAM>(label));
    EXPECT_EQ(::GetTextColor(dc), static_cast<COLORREF>(0xFF0000));
    ::ReleaseDC(label, dc);
}

TEST_F(RealListsToolkit, AClickOnAnEntryIsAPickWithTheSelectionAlreadyOnItButSelectingFromCodeIsNot) {
    list->addItem("Gamma");
    list->addItem("alpha");
    list->addItem("Beta");
    ASSERT_EQ(list->item(0), "alpha");
    list->setSelectedIndex(2);
    pump();
    EXPECT_TRUE(picked.empty());

    HWND box = childOf(*form, L"ListBox", nullptr);
    ASSERT_NE(box, nullptr);
    RECT entry{};
    ASSERT_NE(::SendMessageW(box, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&entry)), LB_ERR);
    clickAt(box, entry.left + 4, (entry.top + entry.bottom) / 2);
    pump();
    EXPECT_EQ(picked, std::vector<int>{1});
    EXPECT_EQ(list->text(), "Beta");
}

TEST_F(RealListsToolkit, APressOnTheBackgroundNamesItsButtonButOneOnAControlIsNotTheBackgrounds) {
    HWND window = toHwnd(form->id());
    ::PostMessageW(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(300, 100));
    ::PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 120));
    pump();
    EXPECT_EQ(presses, (std::vector<ui::MouseButton>{ui::MouseButton::Right, ui::MouseButton::Left}));
    HWND box = childOf(*form, L"ListBox", nullptr);
    clickAt(box, 10, 10);
    pump();
    EXPECT_EQ(presses.size(), 2u);
}

TEST_F(RealListsToolkit, EscPressesTheCancelButtonUnlessItIsDisabled) {
    ::SetForegroundWindow(toHwnd(form->id()));
    pump();
    ASSERT_EQ(::GetActiveWindow(), toHwnd(form->id()));
    auto pressEscape = [this] {
        HWND focus = ::GetFocus();
        HWND target = focus ? focus : toHwnd(form->id());
        ::PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        ::PostMessageW(target, WM_KEYUP, VK_ESCAPE, 0xC0010001);
        pump();
    };
    pressEscape();
    EXPECT_EQ(cancels, 1);
    cancel->setEnabled(false);
    pressEscape();
    EXPECT_EQ(cancels, 1);
}

TEST_F(RealListsToolkit, TheTableListsShownBorderedTitledWindowsOnly) {
    IDesktop& desktop = backend.platform().desktop;
    HWND popup = ::CreateWindowExW(0, L"Static", L"Borderless popup", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                   nullptr, nullptr, nullptr);
    ASSERT_NE(popup, nullptr);
    auto hidden = backend.toolkit().createForm({.name = "frmHidden", .caption = "Never shown form"});
    auto own = backend.toolkit().createForm({.name = "frmOwn", .caption = "Own browser form"});
    own->show();
    pump();

    TasksList table(desktop);
    table.EnumTaskWindows(own->id());
    auto listed = [&](const std::string& title) {
        return std::any_of(table.windows().begin(), table.windows().end(),
                           [&](const TaskWindow& task) { return task.title == title; });
    };
    EXPECT_TRUE(listed("Lists toolkit"));
    EXPECT_FALSE(listed("Borderless popup"));
    EXPECT_FALSE(listed("Never shown form"));
    EXPECT_FALSE(listed("Own browser form"));
    ::DestroyWindow(popup);
}

// The load fills both lists with their drawing paused; resuming must not show a list the program hid
// (WM_SETREDRAW's default handling marks the window visible) nor leave the shown one undrawn.
TEST_F(RealListsToolkit, AListFilledWhileItsDrawingIsPausedReadsBackAndKeepsItsVisibility) {
    ui::ListBox& hidden = form->addListBox({.name = "lstHidden", .rect = {220, 40, 120, 120}}, {.checkBoxes = true});
    hidden.setVisible(false);
    {
        const ui::DrawingPaused outer(*list);
        const ui::DrawingPaused checkedPaused(hidden);
        {
            const ui::DrawingPaused inner(*list);
        }
        EXPECT_TRUE(list->isDrawingPaused()) << "pauses nest";
        for (const char* text : {"Gamma", "alpha", "Beta"}) {
            list->addItem(text);
            hidden.addItem(text);
        }
        hidden.setChecked(1, true);
    }
    EXPECT_FALSE(list->isDrawingPaused());
    EXPECT_EQ(list->item(0), "alpha");
    EXPECT_EQ(hidden.item(1), "alpha");
    EXPECT_TRUE(hidden.isChecked(1));
    EXPECT_FALSE(::IsWindowVisible(childOf(*form, WC_LISTVIEWW, nullptr)));
    HWND box = childOf(*form, L"ListBox", nullptr);
    EXPECT_TRUE(::IsWindowVisible(box));

    RECT entry{};
    ASSERT_NE(::SendMessageW(box, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&entry)), LB_ERR);
    clickAt(box, entry.left + 4, (entry.top + entry.bottom) / 2);
    pump();
    EXPECT_EQ(picked, std::vector<int>{2}) << "the list still reports the user's pick";
}
