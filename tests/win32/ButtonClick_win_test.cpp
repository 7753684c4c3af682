// A click from code on the real controls is a user's click: a button or check box the user could
// not reach (disabled, hidden, on another page, on a disabled form) does nothing.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "platform/win32/WinPlatform.h"
#include "platform/win32/WindowHandle.h"

namespace {

class RealButtonClick : public ::testing::Test {
protected:
    void SetUp() override {
        form = backend.toolkit().createForm({.name = "frmClick", .caption = "Click test", .width = 300, .height = 200});
        tabs = &form->addTabStrip({.name = "tabs", .caption = "", .rect = {4, 4, 290, 190}}, {"One", "Two"});
        button = &form->addButton({.name = "cmdGo", .caption = "Go", .rect = {20, 40, 80, 26}, .page = 0});
        otherPage = &form->addButton({.name = "cmdOther", .caption = "Other", .rect = {20, 40, 80, 26}, .page = 1});
        box = &form->addCheckBox({.name = "chkThing", .caption = "Thing", .rect = {20, 80, 120, 20}, .page = 0});
        button->onClick([this] { ++clicks; });
        otherPage->onClick([this] { ++clicks; });
        box->onClick([this] { ++boxClicks; });
        form->show();
        backend.toolkit().processEvents();
    }
    void TearDown() override { form.reset(); }

    WinPlatform backend;
    std::unique_ptr<ui::Form> form;
    ui::TabStrip* tabs = nullptr;
    ui::Button* button = nullptr;
    ui::Button* otherPage = nullptr;
    ui::CheckBox* box = nullptr;
    int clicks = 0;
    int boxClicks = 0;
};

}  // namespace

TEST_F(RealButtonClick, AnEnabledShownButtonRunsItsHandler) {
    button->click();
    EXPECT_EQ(clicks, 1);
}

TEST_F(RealButtonClick, ADisabledButtonRunsNothing) {
    button->setEnabled(false);
    button->click();
    EXPECT_EQ(clicks, 0);
    button->setEnabled(true);
    button->click();
    EXPECT_EQ(clicks, 1);
}

TEST_F(RealButtonClick, AHiddenButtonRunsNothing) {
    button->setVisible(false);
    button->click();
    EXPECT_EQ(clicks, 0);
}

TEST_F(RealButtonClick, AButtonOnAnotherPageRunsNothingUntilItsPageIsShown) {
    otherPage->click();
    EXPECT_EQ(clicks, 0);
    tabs->selectPage(1);
    otherPage->click();
    EXPECT_EQ(clicks, 1);
    button->click();
    EXPECT_EQ(clicks, 1);
}

TEST_F(RealButtonClick, NothingRunsWhileTheFormIsDisabled) {
    form->setEnabled(false);
    button->click();
    box->click();
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(boxClicks, 0);
    EXPECT_FALSE(box->isChecked());
    form->setEnabled(true);
    button->click();
    EXPECT_EQ(clicks, 1);
}

// Only the user's click is refused: the program may still set the state of a disabled box.
TEST_F(RealButtonClick, ADisabledCheckBoxKeepsItsStateWhenClicked) {
    box->setEnabled(false);
    box->click();
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(boxClicks, 0);
    box->setChecked(true);
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(boxClicks, 1);
    box->setEnabled(true);
    box->click();
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(boxClicks, 2);
}

// Another program can send BM_CLICK to any window it finds. The configuration window waits hidden behind
// its password with "Shut Down OB" and the administrator box inside, so such a press must count only where a
// user could have pressed.
TEST_F(RealButtonClick, APressFromAnotherProgramCountsOnlyWhereTheUserCouldPress) {
    HWND window = toHwnd(form->id());
    HWND go = ::FindWindowExW(window, nullptr, L"Button", L"Go");
    HWND other = ::FindWindowExW(window, nullptr, L"Button", L"Other");
    HWND thing = ::FindWindowExW(window, nullptr, L"Button", L"Thing");
    ASSERT_TRUE(go && other && thing);

    ::SendMessageW(other, BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 0) << "a button of a page that is not shown";

    form->hide();
    backend.toolkit().processEvents();
    ::SendMessageW(go, BM_CLICK, 0, 0);
    ::SendMessageW(thing, BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 0) << "a button of a hidden window";
    EXPECT_EQ(boxClicks, 0);
    EXPECT_FALSE(box->isChecked()) << "the box shows the state the program acts on";

    form->show();
    backend.toolkit().processEvents();
    ::SendMessageW(go, BM_CLICK, 0, 0);
    ::SendMessageW(thing, BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(boxClicks, 1);
    EXPECT_TRUE(box->isChecked());
}
