// frmError: follows the shared message text while open; OK ends the message for good.
#include <gtest/gtest.h>

#include "dialogs/MessageDialog.h"
#include "platform/sim/SimPlatform.h"

namespace {

class MessageWindow : public ::testing::Test {
protected:
    void show(const std::string& text) {
        state.messageText = text;
        process.run([&] { dialog.show(); });
    }
    void showAgain() {
        process.run([&] { dialog.show(); });
    }
    sim::SimForm* form() { return process.toolkit().findForm("frmError"); }
    bool shown() { return form() && form()->isVisible(); }
    std::string label() { return form()->findControl("Label1")->text(); }
    void clickOk() {
        process.run([&] { sim::control<sim::SimButton>(*form(), "cmdOK")->click(); });
    }
    int windowsTitledMessage() {
        int count = 0;
        for (const sim::SimWindow& window : world.desktop.windows()) {
            if (window.title == "Message:" && window.visible) ++count;
        }
        return count;
    }

    sim::SimWorld world;
    sim::SimInstance process{world};
    ProgramState state;
    MessageDialog dialog{process.toolkit(), state};
};

using MessageWindowOk = MessageWindow;

}  // namespace

TEST_F(MessageWindow, TheTextAppearsWithinATenthOfASecond) {
    show("Cannot lock self!");
    ASSERT_TRUE(shown());
    EXPECT_EQ(form()->caption(), "Message:");
    world.advance(99);
    EXPECT_NE(label(), "Cannot lock self!");
    world.advance(1);
    EXPECT_EQ(label(), "Cannot lock self!");
}

TEST_F(MessageWindow, ASecondMessageReplacesTheFirstInOneWindow) {
    show("All Software Installations are permitted until you Log-Off or Restart Windows.");
    world.advance(100);
    show("Error: \"Access is denied.\".");
    EXPECT_EQ(windowsTitledMessage(), 1);
    world.advance(100);
    EXPECT_EQ(label(), "Error: \"Access is denied.\".");
    clickOk();
    EXPECT_FALSE(shown());
    EXPECT_EQ(windowsTitledMessage(), 0);
}

TEST_F(MessageWindow, TextChangedWhileOpenFollowsAtTheNextTick) {
    show("first");
    world.advance(100);
    state.messageText = "Ünïcödé – 𝄞 second";
    world.advance(100);
    EXPECT_EQ(label(), "Ünïcödé – 𝄞 second");
    state.messageText.clear();
    world.advance(100);
    EXPECT_EQ(label(), "");
}

TEST_F(MessageWindow, OnlyOkIsOffered) {
    show("x");
    EXPECT_FALSE(form()->findControl("cmdCancel")->isVisible());
    EXPECT_FALSE(form()->findControl("chkDontShow")->isVisible());
    EXPECT_TRUE(form()->findControl("cmdOK")->isVisible());
    EXPECT_EQ(form()->findControl("cmdOK")->text(), "OK");
}

TEST_F(MessageWindowOk, EmptiesTheTextAndHidesTheWindow) {
    show("Cannot lock self!");
    world.advance(100);
    clickOk();
    EXPECT_EQ(state.messageText, "");
    EXPECT_FALSE(shown());
    EXPECT_EQ(windowsTitledMessage(), 0);
}

TEST_F(MessageWindowOk, EnterIsOk) {
    show("Cannot lock self!");
    world.advance(100);
    process.run([&] { form()->pressEnter(); });
    EXPECT_EQ(state.messageText, "");
    EXPECT_FALSE(shown());
}

TEST_F(MessageWindowOk, ClosingFromTheTitleBarAlsoEndsTheMessage) {
    show("Cannot lock self!");
    world.advance(100);
    process.run([&] { ASSERT_TRUE(form()->clickClose()); });
    EXPECT_EQ(state.messageText, "");
    EXPECT_FALSE(shown());
}

TEST_F(MessageWindowOk, ShownAgainWithoutANewTextTheLabelIsEmpty) {
    show("Cannot lock self!");
    world.advance(100);
    clickOk();
    showAgain();
    ASSERT_TRUE(shown());
    EXPECT_NE(label(), "Cannot lock self!");
    world.advance(100);
    EXPECT_EQ(label(), "");
    world.advance(1000);
    EXPECT_EQ(label(), "");
}

TEST_F(MessageWindowOk, ANewMessageAfterOkIsShownAfresh) {
    show("first");
    world.advance(100);
    clickOk();
    world.advance(500);
    show("second");
    world.advance(100);
    EXPECT_EQ(label(), "second");
    EXPECT_EQ(windowsTitledMessage(), 1);
    clickOk();
    EXPECT_EQ(state.messageText, "");
    EXPECT_FALSE(shown());
}

// Once closed, the window no longer copies the text: a text set later is there for the next opening only.
TEST_F(MessageWindowOk, AClosedWindowDoesNotFollowTheText) {
    show("first");
    world.advance(100);
    clickOk();
    state.messageText = "later";
    world.advance(500);
    EXPECT_FALSE(shown());
    EXPECT_EQ(state.messageText, "later");
    showAgain();
    world.advance(100);
    EXPECT_EQ(label(), "later");
}
