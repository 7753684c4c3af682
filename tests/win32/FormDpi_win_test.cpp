// The forms are laid out at 96 dots per inch and the program is DPI-aware: a form follows its window to a
// monitor of another density, every control in proportion.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "platform/win32/WinPlatform.h"

namespace {

class FormDensity : public ::testing::Test {
protected:
    void SetUp() override {
        form = backend.toolkit().createForm({.name = "frmDpi", .caption = "Density test", .width = 300, .height = 200});
        form->addButton({.name = "cmdGo", .caption = "Go", .rect = {20, 40, 80, 26}});
        form->show();
        backend.toolkit().processEvents();
    }
    void TearDown() override { form.reset(); }

    HWND window() const { return reinterpret_cast<HWND>(form->id().v); }
    RECT buttonPlace() const {
        HWND button = ::FindWindowExW(window(), nullptr, L"Button", L"Go");
        RECT place{};
        ::GetWindowRect(button, &place);
        ::MapWindowPoints(nullptr, window(), reinterpret_cast<POINT*>(&place), 2);
        return place;
    }

    WinPlatform backend;
    std::unique_ptr<ui::Form> form;
};

}  // namespace

// The test display runs at 96 dots per inch, as Wine's default prefix does.
TEST_F(FormDensity, AtTheDesignDensityEveryControlIsWhereTheLayoutPutsIt) {
    const RECT place = buttonPlace();
    EXPECT_EQ(place.left, 20);
    EXPECT_EQ(place.top, 40);
    EXPECT_EQ(place.right - place.left, 80);
    EXPECT_EQ(place.bottom - place.top, 26);
}

TEST_F(FormDensity, MovedToADenserMonitorTheWindowTakesTheSuggestedSizeAndControlsGrowInProportion) {
    RECT suggested = {100, 100, 100 + 480, 100 + 330};
    ::SendMessageW(window(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    const RECT place = buttonPlace();
    EXPECT_EQ(place.left, 30);
    EXPECT_EQ(place.top, 60);
    EXPECT_EQ(place.right - place.left, 120);
    EXPECT_EQ(place.bottom - place.top, 39);
    RECT frame{};
    ::GetWindowRect(window(), &frame);
    EXPECT_EQ(frame.right - frame.left, 480);

    // And back: the controls return to their design places.
    suggested = {100, 100, 100 + 320, 100 + 220};
    ::SendMessageW(window(), WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
    const RECT back = buttonPlace();
    EXPECT_EQ(back.left, 20);
    EXPECT_EQ(back.right - back.left, 80);
}
