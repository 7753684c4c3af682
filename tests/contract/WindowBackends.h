#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/IDesktop.h"
#include "platform/ui/Toolkit.h"

namespace contract {

// One side's desktop and toolkit for one test, with what only a test can do to them: make windows of
// another program, press a control as another program would, and stop that program answering.
class WindowBackend {
public:
    virtual ~WindowBackend() = default;
    virtual IDesktop& desktop() = 0;
    virtual ui::Toolkit& toolkit() = 0;

    // A shown or hidden top-level window of another program, created as the user starts that program.
    virtual WindowId createForeignWindow(const std::string& title, const std::string& className, bool visible) = 0;
    // The other program destroys its window.
    virtual void destroyForeignWindow(WindowId window) = 0;
    // The user clicks the window, which gives its program the last input.
    virtual void userClicks(WindowId window) = 0;
    // The user presses the left mouse button on the form, at the top left of its client area.
    virtual void userPressesForm(ui::Form& form) = 0;
    // The user types the text into the box, at its end, with the keyboard.
    virtual void userTypes(ui::TextBox& box, const std::string& text) = 0;
    // BM_CLICK sent by another program to the control's own window.
    virtual void clickFromOutside(ui::Control& control) = 0;
    // The program that owns the window stops answering its messages, or answers again.
    virtual void setHung(WindowId window, bool hung) = 0;
    // Runs the call and tells whether it waited on a program that does not answer.
    virtual bool callBlocks(const std::function<void()>& call) = 0;
    // Lets whatever the windows' programs have pending run, for changes that arrive as posted messages.
    virtual void settle() = 0;
    // Time passes while this program does nothing; then it lets its pending messages run.
    virtual void letTimePass(int ms) = 0;
    // This program's process, as Windows numbers it, and the full path of its program file.
    virtual uint32_t ownProcessId() const = 0;
    virtual std::string ownProgramFile() = 0;
    // WM_QUIT arrives for this program, as when Windows ends the session or another program posts it.
    virtual void postQuit() = 0;
    // What the main loop would find: true when WM_QUIT is still waiting for it. Takes it, so it ends with the test.
    virtual bool takeQuit() = 0;

    // Why this side cannot show the foreground lock; empty when it can.
    virtual std::string foregroundLockMissing() const = 0;
    // Why a window minimized here stays the foreground one, unlike on Windows; empty when it does not.
    virtual std::string minimizeKeepsForeground() const = 0;
    // Why the other program's windows here belong to this very process; empty when they are another's.
    virtual std::string otherProgramIsThisProcess() const = 0;
};

std::unique_ptr<WindowBackend> makeWindowBackend();

}  // namespace contract
