// How forms look on the real controls: a label on a styled tab page has the page's colour around its text.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "platform/win32/WinPlatform.h"
#include "platform/win32/WindowHandle.h"

namespace {

COLORREF pixelAt(HWND window, int x, int y) {
    HDC dc = ::GetDC(window);
    const COLORREF color = ::GetPixel(dc, x, y);
    ::ReleaseDC(window, dc);
    return color;
}

}  // namespace

TEST(FormLook, ALabelOnATabPageSitsOnThePagesColourNotInAGreyBox) {
    WinPlatform backend;
    auto form = backend.toolkit().createForm({.name = "frmLook", .caption = "Look test", .width = 300, .height = 200});
    form->addTabStrip({.name = "tabs", .caption = "", .rect = {4, 4, 290, 190}}, {"One", "Two"});
    form->addLabel({.name = "lblOnPage", .caption = "Hi", .rect = {20, 60, 200, 20}, .page = 0});
    form->show();
    backend.toolkit().processEvents();
    HWND window = toHwnd(form->id());
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    backend.toolkit().processEvents();

    HWND label = ::FindWindowExW(window, nullptr, L"Static", L"Hi");
    ASSERT_NE(label, nullptr);
    const COLORREF page = pixelAt(window, 250, 150);
    const COLORREF besideTheText = pixelAt(label, 180, 10);
    ASSERT_NE(page, CLR_INVALID);
    EXPECT_EQ(besideTheText, page) << std::hex << "page 0x" << page << ", label 0x" << besideTheText;

    // A path or a window title with "&" shows it as typed, with no letter underlined instead.
    form->addLabel({.name = "lblPath", .caption = "C:\\R&D", .rect = {20, 90, 200, 20}, .page = 0});
    HWND path = ::FindWindowExW(window, nullptr, L"Static", L"C:\\R&D");
    ASSERT_NE(path, nullptr);
    EXPECT_NE(::GetWindowLongW(path, GWL_STYLE) & SS_NOPREFIX, 0);
}
