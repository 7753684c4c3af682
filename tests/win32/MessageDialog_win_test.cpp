// frmError on real windows: the label's own window text follows the shared message, and a real
// click on OK (BM_CLICK) ends the message.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "dialogs/MessageDialog.h"
#include "platform/win32/Utf.h"
#include "platform/win32/WinControls.h"
#include "platform/win32/WinPlatform.h"
#include "platform/win32/WindowHandle.h"

namespace {

class RealMessageWindow : public ::testing::Test {
protected:
    // Lets the window's messages and its 100 ms timer run for a while, at least once however late this thread runs.
    void pump(std::chrono::milliseconds span) {
        const auto until = std::chrono::steady_clock::now() + span;
        do {
            backend.toolkit().processEvents();
            ::Sleep(10);
        } while (std::chrono::steady_clock::now() < until);
    }
    // Runs the window until the label shows `text`: the timer's tick is the sign, not a span of time, because a
    // loaded machine may run this thread late. The deadline only bounds a failure.
    void pumpUntilLabelShows(const std::string& text) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        do {
            backend.toolkit().processEvents();
            if (windowText(controlWindow("Label1")) == text) return;
            ::Sleep(10);
        } while (std::chrono::steady_clock::now() < until);
    }
    HWND controlWindow(const char* name) {
        auto* control = dynamic_cast<WinControlBase*>(dialog.form()->findControl(name));
        return control ? control->hwnd() : nullptr;
    }
    static std::string windowText(HWND window) {
        wchar_t text[1024] = {};
        const int length = ::GetWindowTextW(window, text, 1024);
        return toUtf8(std::wstring_view(text, static_cast<size_t>(length > 0 ? length : 0)));
    }
    void show(const std::string& text) {
        state.messageText = text;
        dialog.show();
    }

    WinPlatform backend;
    ProgramState state;
    MessageDialog dialog{backend.toolkit(), state};
};

}  // namespace

TEST_F(RealMessageWindow, TheLabelShowsTheMessageAfterTheFirstTicks) {
    show("Error: \"Zugriff verweigert – 𝄞\".");
    ASSERT_NE(dialog.form(), nullptr);
    HWND window = toHwnd(dialog.form()->id());
    EXPECT_TRUE(::IsWindowVisible(window));
    EXPECT_EQ(windowText(window), "Message:");
    HWND label = controlWindow("Label1");
    ASSERT_NE(label, nullptr);
    pumpUntilLabelShows("Error: \"Zugriff verweigert – 𝄞\".");
    EXPECT_EQ(windowText(label), "Error: \"Zugriff verweigert – 𝄞\".");
}

TEST_F(RealMessageWindow, ASecondMessageReplacesTheFirst) {
    show("first message");
    pumpUntilLabelShows("first message");
    show("second message");
    pumpUntilLabelShows("second message");
    EXPECT_EQ(windowText(controlWindow("Label1")), "second message");
}

TEST_F(RealMessageWindow, ClickingOkHidesTheWindowAndEmptiesTheText) {
    show("Cannot lock self!");
    pumpUntilLabelShows("Cannot lock self!");
    HWND window = toHwnd(dialog.form()->id());
    HWND ok = controlWindow("cmdOK");
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(windowText(ok), "OK");
    ::SendMessageW(ok, BM_CLICK, 0, 0);
    pump(std::chrono::milliseconds(50));
    EXPECT_EQ(state.messageText, "");
    EXPECT_FALSE(::IsWindow(window) && ::IsWindowVisible(window));
    EXPECT_EQ(dialog.form(), nullptr);
}

TEST_F(RealMessageWindow, ShownAgainAfterOkTheLabelIsEmpty) {
    show("Cannot lock self!");
    pumpUntilLabelShows("Cannot lock self!");
    ::SendMessageW(controlWindow("cmdOK"), BM_CLICK, 0, 0);
    pump(std::chrono::milliseconds(50));
    dialog.show();
    pump(std::chrono::milliseconds(200));
    ASSERT_NE(dialog.form(), nullptr);
    EXPECT_TRUE(::IsWindowVisible(toHwnd(dialog.form()->id())));
    EXPECT_EQ(windowText(controlWindow("Label1")), "");
}

// Enter reaches the default button through the dialog manager, as a user's key press does.
TEST_F(RealMessageWindow, EnterIsOk) {
    show("Cannot lock self!");
    pumpUntilLabelShows("Cannot lock self!");
    HWND window = toHwnd(dialog.form()->id());
    ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
    pump(std::chrono::milliseconds(50));
    EXPECT_EQ(state.messageText, "");
    EXPECT_FALSE(::IsWindowVisible(window));
}
