// A form that names a typeface on the real toolkit: every control it holds is given that font as it is
// made, each form owns its own, and a form that names none keeps the toolkit's.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/win32/WinToolkit.h"
#include "platform/win32/WindowHandle.h"

namespace {

std::vector<HWND> childrenOf(const ui::Form& form) {
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(toHwnd(form.id()), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

HFONT fontOf(HWND control) {
    return reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
}

// The face the font was asked for; empty when the handle is not a live font.
std::wstring faceOf(HFONT font) {
    LOGFONTW logical = {};
    if (!font || ::GetObjectW(font, sizeof(logical), &logical) != sizeof(logical)) return L"";
    return logical.lfFaceName;
}

class FormFont : public ::testing::Test {
protected:
    std::unique_ptr<ui::Form> makeForm(const std::string& fontName) {
        auto form = toolkit.createForm({.name = "frmFont", .caption = "Font test", .fontName = fontName});
        form->addLabel({.name = "Label1", .caption = "A label", .rect = {8, 8, 200, 20}});
        form->addOptionButton({.name = "Option1", .caption = "An option", .rect = {8, 32, 200, 20}});
        form->addButton({.name = "cmdOne", .caption = "A button", .rect = {8, 56, 200, 28}});
        return form;
    }
    WinToolkit toolkit{nullptr};
};

TEST_F(FormFont, ANamedTypefaceReachesEveryControl) {
    auto form = makeForm("Verdana");
    const std::vector<HWND> children = childrenOf(*form);
    ASSERT_EQ(children.size(), 3u);
    for (HWND child : children) EXPECT_EQ(faceOf(fontOf(child)), L"Verdana");
}

TEST_F(FormFont, WithoutANameTheControlsKeepTheToolkitsFont) {
    auto form = makeForm("");
    for (HWND child : childrenOf(*form)) {
        const std::wstring face = faceOf(fontOf(child));
        EXPECT_FALSE(face.empty());
        EXPECT_NE(face, L"Verdana");
    }
}

TEST_F(FormFont, EachFormHasItsOwnFontAndClosingOneLeavesTheOthers) {
    auto first = makeForm("Verdana");
    auto second = makeForm("Verdana");
    const HFONT firstFont = fontOf(childrenOf(*first).front());
    const HFONT secondFont = fontOf(childrenOf(*second).front());
    EXPECT_NE(firstFont, secondFont);
    first.reset();
    EXPECT_EQ(faceOf(firstFont), L"") << "the font goes with its form";
    EXPECT_EQ(faceOf(secondFont), L"Verdana");
    EXPECT_EQ(faceOf(fontOf(childrenOf(*second).back())), L"Verdana");
}

TEST_F(FormFont, ANameTooLongForAFaceFallsBackToTheToolkitsFont) {
    auto form = makeForm(std::string(40, 'x'));
    for (HWND child : childrenOf(*form)) EXPECT_FALSE(faceOf(fontOf(child)).empty());
}

}  // namespace
