// What the forms may count on from the toolkit's clicks, change events and activation, on both sides.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "tests/contract/WindowBackends.h"

namespace {

class ToolkitContract : public ::testing::Test {
protected:
    ToolkitContract() {
        form = backend->toolkit().createForm(
            {.name = "frmClick", .caption = "Contract form", .width = 300, .height = 200});
        tabs = &form->addTabStrip({.name = "tabs", .rect = {4, 4, 290, 190}}, {"One", "Two"});
        button = &form->addButton({.name = "cmdGo", .caption = "Go", .rect = {20, 40, 80, 26}, .page = 0});
        otherPage = &form->addButton({.name = "cmdOther", .caption = "Other", .rect = {20, 40, 80, 26}, .page = 1});
        box = &form->addCheckBox({.name = "chkThing", .caption = "Thing", .rect = {20, 80, 120, 20}, .page = 0});
        button->onClick([this] { ++clicks; });
        otherPage->onClick([this] { ++clicks; });
        box->onClick([this] { ++boxClicks; });
        form->show();
        backend->settle();
    }

    bool inFrontOf(WindowId front, WindowId back) {
        const std::vector<WindowId> zOrder = backend->desktop().topLevelWindows();
        const auto frontAt = std::find(zOrder.begin(), zOrder.end(), front);
        return frontAt != zOrder.end() && std::find(frontAt, zOrder.end(), back) != zOrder.end();
    }

    std::unique_ptr<contract::WindowBackend> backend = contract::makeWindowBackend();
    std::unique_ptr<ui::Form> form;
    ui::TabStrip* tabs = nullptr;
    ui::Button* button = nullptr;
    ui::Button* otherPage = nullptr;
    ui::CheckBox* box = nullptr;
    int clicks = 0;
    int boxClicks = 0;
};

// The configuration window waits hidden behind its password with "Shut Down OB" and the administrator box
// inside, and any program can send BM_CLICK to a window it finds.
TEST_F(ToolkitContract, AClickFromOutsideOnAControlOfAHiddenFormDoesNothing) {
    backend->clickFromOutside(*otherPage);
    EXPECT_EQ(clicks, 0) << "a button of a page that is not shown";
    form->hide();
    backend->settle();
    backend->clickFromOutside(*button);
    backend->clickFromOutside(*box);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(boxClicks, 0);
    EXPECT_FALSE(box->isChecked()) << "the box shows the state the program acts on";
    form->show();
    backend->settle();
    backend->clickFromOutside(*button);
    backend->clickFromOutside(*box);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(boxClicks, 1);
    EXPECT_TRUE(box->isChecked());
}

TEST_F(ToolkitContract, AClickCountsOnlyOnAnEnabledControlOfTheShownPageOfAnEnabledForm) {
    button->setEnabled(false);
    button->click();
    button->setEnabled(true);
    button->setVisible(false);
    button->click();
    button->setVisible(true);
    otherPage->click();
    form->setEnabled(false);
    button->click();
    box->click();
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(boxClicks, 0);
    EXPECT_FALSE(box->isChecked());
    form->setEnabled(true);
    button->click();
    tabs->selectPage(1);
    otherPage->click();
    button->click();
    EXPECT_EQ(clicks, 2);
}

// Only the user's click is refused: the program still sets the state of a disabled box, and each change of
// state from code is a click, as the user's is.
TEST_F(ToolkitContract, ADisabledCheckBoxKeepsItsStateWhenClickedButCodeStillSetsIt) {
    box->setEnabled(false);
    box->click();
    EXPECT_FALSE(box->isChecked());
    box->setChecked(true);
    box->setChecked(true);
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(boxClicks, 1);
    box->setEnabled(true);
    box->click();
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(boxClicks, 2);
}

// An edit control sends EN_CHANGE for every WM_SETTEXT; a change handler that corrects the text
// (txtrelock's "0") must therefore settle on a text it accepts, and may run for text that did not change.
TEST_F(ToolkitContract, EverySetTextRaisesOneChangeTheSameTextIncluded) {
    ui::TextBox& single =
        form->addTextBox({.name = "txtrelock", .rect = {20, 110, 60, 24}, .page = 0}, {.maxLength = 3});
    ui::TextBox& multi =
        form->addTextBox({.name = "txtMessage", .rect = {100, 110, 150, 60}, .page = 0}, {.multiLine = true});
    int singleChanges = 0;
    int multiChanges = 0;
    single.onChange([&] { ++singleChanges; });
    multi.onChange([&] { ++multiChanges; });
    single.setText("30");
    single.setText("30");
    single.setText("12345");
    EXPECT_EQ(singleChanges, 3);
    EXPECT_EQ(single.text(), "12345") << "the length limit binds typing only";
    multi.setText("line\r\nline");
    multi.setText("line\r\nline");
    EXPECT_EQ(multiChanges, 2);
    single.onChange([&] {
        ++singleChanges;
        if (single.text() != "0") single.setText("0");
    });
    single.setText("x");
    EXPECT_EQ(single.text(), "0");
    EXPECT_EQ(singleChanges, 5);
}

TEST_F(ToolkitContract, ShowActivatesAFormOnlyWhenItWasNotTheActiveOne) {
    auto second = backend->toolkit().createForm({.name = "frmSecond", .caption = "Contract second"});
    int activations = 0;
    second->onActivate([&] { ++activations; });
    second->show();
    backend->settle();
    second->show();
    backend->settle();
    EXPECT_EQ(activations, 1);
    EXPECT_EQ(backend->desktop().foregroundWindow(), second->id());
    second->hide();
    backend->settle();
    EXPECT_EQ(backend->desktop().foregroundWindow(), form->id()) << "the window beneath takes the foreground";
}

// The password dialog holds back the user while it waits; its own code goes on filling and pressing things.
TEST_F(ToolkitContract, WhileTheInputGateIsShutOnlyTheProgramChangesTheControls) {
    ui::TextBox& pass = form->addTextBox({.name = "txtPass", .rect = {20, 110, 120, 24}, .page = 0}, {});
    bool open = false;
    form->setInputGate([&] { return open; });
    backend->userTypes(pass, "ab");
    EXPECT_EQ(pass.text(), "");
    backend->clickFromOutside(*button);
    backend->clickFromOutside(*box);
    button->click();
    box->click();
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(boxClicks, 0);
    EXPECT_FALSE(box->isChecked()) << "the box shows the state the program acts on";
    box->setChecked(true);
    button->setText("Wait");
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(boxClicks, 1);
    EXPECT_EQ(button->text(), "Wait");
    open = true;
    backend->clickFromOutside(*button);
    button->click();
    box->click();
    EXPECT_EQ(clicks, 2);
    EXPECT_FALSE(box->isChecked());
    backend->userTypes(pass, "\xC3\xB6\xF0\x9F\x98\x80");
    EXPECT_EQ(pass.text(), "\xC3\xB6\xF0\x9F\x98\x80");
}

// The password dialog holding back the user while another program is active: a click on it brings it forward,
// and only once the gate opens does a click go through as well.
TEST_F(ToolkitContract, AClickOnTheInactiveFormWithItsGateShutOnlyActivatesIt) {
    auto dialog = backend->toolkit().createForm({.name = "frmPassword", .caption = "Contract dialog"});
    int activations = 0;
    int presses = 0;
    bool open = false;
    dialog->onActivate([&] { ++activations; });
    dialog->onMouseDown([&](ui::MouseButton) { ++presses; });
    dialog->setInputGate([&] { return open; });
    dialog->show();
    dialog->setCoversScreen(true);
    const WindowId editor = backend->createForeignWindow("Contract Editor", "ContractWindow", true);
    backend->settle();
    ASSERT_EQ(backend->desktop().foregroundWindow(), editor);
    activations = 0;
    backend->userPressesForm(*dialog);
    EXPECT_EQ(backend->desktop().foregroundWindow(), dialog->id());
    EXPECT_EQ(activations, 1);
    EXPECT_EQ(presses, 0);
    open = true;
    backend->userClicks(editor);
    backend->userPressesForm(*dialog);
    EXPECT_EQ(activations, 2);
    EXPECT_EQ(presses, 1);
}

// The form in front of every window while it covers the screen; given back, it is the window it was, disabled
// or not, and a window that comes up later is in front of it again.
TEST_F(ToolkitContract, AFormCoversTheScreenInFrontOfEveryWindowAndComesBackAsItWas) {
    IDesktop& desktop = backend->desktop();
    const uint32_t ordinary = desktop.windowStyle(form->id());
    ASSERT_EQ(ordinary & kWsCaption, kWsCaption);
    form->setEnabled(false);
    form->setCoversScreen(true);
    EXPECT_TRUE(form->coversScreen());
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->isEnabled());
    EXPECT_TRUE(desktop.isTopmost(form->id()));
    EXPECT_EQ(desktop.windowStyle(form->id()) & (kWsCaption | kWsBorder), 0u) << "no title bar and no frame";
    const WindowId editor = backend->createForeignWindow("Contract Editor", "ContractWindow", true);
    backend->settle();
    EXPECT_TRUE(inFrontOf(form->id(), editor));
    form->setEnabled(true);
    form->setCoversScreen(false);
    backend->settle();
    EXPECT_FALSE(form->coversScreen());
    EXPECT_FALSE(desktop.isTopmost(form->id()));
    EXPECT_EQ(desktop.windowStyle(form->id()), ordinary);
    EXPECT_EQ(desktop.foregroundWindow(), editor) << "giving the screen back does not take the foreground";
    const WindowId later = backend->createForeignWindow("Contract Later", "ContractWindow", true);
    backend->settle();
    EXPECT_TRUE(inFrontOf(later, form->id()));
}

// Windows ends the session while a dialog waits in a loop of its own: that wait ends, so does every wait after
// it, no timer ticks any more, and the main loop still finds the quit.
TEST_F(ToolkitContract, AQuitEndsEveryWaitAndIsLeftForTheMainLoop) {
    ui::Toolkit& toolkit = backend->toolkit();
    int ticks = 0;
    form->addTimer("timerObelon", 20, true).onTick([&] { ++ticks; });
    backend->letTimePass(100);
    ASSERT_GT(ticks, 0);
    ticks = 0;
    backend->postQuit();
    backend->letTimePass(100);
    EXPECT_EQ(ticks, 0);
    EXPECT_FALSE(toolkit.waitForEvent());
    EXPECT_FALSE(toolkit.waitForEvent());
    toolkit.processEvents();
    EXPECT_FALSE(toolkit.waitForEvent());
    EXPECT_TRUE(backend->takeQuit());
}

// What starts the watch's scan between its ticks: a new window in front and a new title of the window in front
// are told within a few hundredths of a second, nothing while nothing changes, and nothing once the watch ends.
TEST_F(ToolkitContract, TheForegroundWatchTellsOfANewWindowInFrontAndANewTitleUntilItEnds) {
    ui::Toolkit& toolkit = backend->toolkit();
    int changes = 0;
    toolkit.watchForeground([&] { ++changes; });
    backend->letTimePass(150);
    changes = 0;  // the first look may tell of the window already in front
    backend->letTimePass(300);
    EXPECT_EQ(changes, 0) << "nothing changed";

    const WindowId other = backend->createForeignWindow("Contract Other", "ContractWindow", true);
    backend->userClicks(other);
    backend->letTimePass(150);
    EXPECT_GE(changes, 1) << "a new window in front";
    changes = 0;
    ASSERT_TRUE(backend->desktop().setWindowText(other, "Contract Other - Secret"));
    backend->letTimePass(200);
    EXPECT_GE(changes, 1) << "a new title of the window in front";

    toolkit.watchForeground({});
    changes = 0;
    ASSERT_TRUE(backend->desktop().setWindowText(other, "Contract Other - Later"));
    backend->letTimePass(200);
    EXPECT_EQ(changes, 0) << "the watch has ended";
}

}  // namespace
