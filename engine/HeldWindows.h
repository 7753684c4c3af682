#pragma once
#include <string>
#include <vector>

#include "common/LockRequest.h"
#include "common/SuperShell.h"
#include "platform/IDesktop.h"

// Every window the program has hidden behind a lock, held by handle with the title it had, until the password
// gives it back or it is destroyed. A held window that its program shows again, or brings to the front, is
// hidden again; without a request waiting for it, it asks for the password again.
class HeldWindows final {
public:
    HeldWindows(IDesktop& desktop, PasswordDialogLauncher& launcher);

    // Hides the window (minimizes it where hiding fails), retitled "###" when `retitle`, and asks for the
    // password with `request`.
    void hold(const LockRequest& request, bool retitle);
    bool holds(WindowId window) const;
    bool holdsAny() const { return !m_held.empty(); }
    // Back under its own title, shown and restored (unless it was hidden already when it was held); no longer
    // held.
    void giveBack(WindowId window);
    // Every window held for this mode: a protection the password switched off lets all of them go.
    void giveBackAll(LockMode mode);
    // The program's task windows that no request waits for any more (a Cancel could not close them): the
    // password for another of its windows gives them back too.
    void giveBackUnasked(uint32_t process);
    // When the program ends: no window stays hidden or renamed behind it.
    void giveBackEverything();
    // Often, and cheap while nothing is held: hides what came back, forgets what has gone.
    void guard();
    // With the watch's tick: retitles a window whose program did not answer in time, or renamed it meanwhile.
    void retitleAgain();

private:
    struct Held {
        LockRequest request;
        std::string title;  // its own title, given back with it
        bool retitle = false;
        bool retitled = false;
        bool renameTried = false;
        bool raiseDue = false;  // the password is asked for once the hide has taken effect
        bool wasShown = false;  // a protection also holds windows its program keeps hidden; they stay hidden
    };
    void hide(WindowId window);
    void rename(Held& held);
    void release(std::vector<Held>::iterator held);

    IDesktop& m_desktop;
    PasswordDialogLauncher& m_launcher;
    std::vector<Held> m_held;
};
