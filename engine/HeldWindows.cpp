#include "engine/HeldWindows.h"

#include <algorithm>

namespace {
constexpr const char* kLockedTitle = "###";
}  // namespace

HeldWindows::HeldWindows(IDesktop& desktop, PasswordDialogLauncher& launcher)
    : m_desktop(desktop), m_launcher(launcher) {}

// The title is read in full from the system's copy before the rename. The hide is posted, so the window goes as
// soon as its program gets to it, and nothing else is asked of that program until then: it handles a sent message
// (the rename) before any posted one, and as it hides it hands the activation on with messages that wait for
// this program, which the making of the password dialog keeps busy for a few hundredths of a second under Wine.
// A window the hide has not reached yet is renamed and asked for at the guard's next look, a few hundredths of a
// second later. A program that does not answer keeps its title for now and is retitled at a later tick.
void HeldWindows::hold(const LockRequest& request, bool retitle) {
    const WindowId window = request.window;
    if (holds(window)) {
        hide(window);
        return m_launcher.raiseLock(request);
    }
    Held held{.request = request,
              .title = m_desktop.windowText(window),
              .retitle = retitle,
              .wasShown = m_desktop.isVisible(window)};
    hide(window);
    const bool hidden = !m_desktop.isVisible(window);
    if (retitle && hidden) rename(held);
    held.raiseDue = !hidden;
    m_held.push_back(std::move(held));
    if (hidden) m_launcher.raiseLock(request);
}

bool HeldWindows::holds(WindowId window) const {
    return window && std::any_of(m_held.begin(), m_held.end(),
                                 [window](const Held& held) { return held.request.window == window; });
}

void HeldWindows::giveBack(WindowId window) {
    auto held = std::find_if(m_held.begin(), m_held.end(),
                             [window](const Held& entry) { return entry.request.window == window; });
    if (held != m_held.end()) release(held);
}

void HeldWindows::giveBackAll(LockMode mode) {
    std::vector<WindowId> windows;
    for (const Held& held : m_held) {
        if (held.request.mode == mode) windows.push_back(held.request.window);
    }
    for (const WindowId window : windows) giveBack(window);
}

void HeldWindows::giveBackUnasked(uint32_t process) {
    std::vector<WindowId> windows;
    for (const Held& held : m_held) {
        const LockRequest& request = held.request;
        if (request.mode == LockMode::Task && request.process == process && !m_launcher.isWaiting(request.window)) {
            windows.push_back(request.window);
        }
    }
    for (const WindowId window : windows) giveBack(window);
}

void HeldWindows::giveBackEverything() {
    while (!m_held.empty()) release(m_held.begin());
}

void HeldWindows::release(std::vector<Held>::iterator held) {
    const Held entry = *held;
    m_held.erase(held);
    const WindowId window = entry.request.window;
    if (entry.retitled || m_desktop.windowText(window) == kLockedTitle) (void)m_desktop.setWindowText(window, entry.title);
    if (!entry.wasShown) return;
    (void)m_desktop.showWindowAsync(window, ShowCommand::Show);
    (void)m_desktop.showWindowAsync(window, ShowCommand::Restore);
}

// Reads of the system's own state, a posted hide, and once per window the rename that waited for its hide: a
// program that does not answer holds this up once, for the rename's time limit at most.
void HeldWindows::guard() {
    if (m_held.empty()) return;
    const WindowId foreground = m_desktop.foregroundWindow();
    for (auto held = m_held.begin(); held != m_held.end();) {
        const WindowId window = held->request.window;
        if (!m_desktop.isWindow(window)) {
            held = m_held.erase(held);
            m_launcher.withdrawLocks(window);
            continue;
        }
        const bool shown = m_desktop.isVisible(window) || window == foreground;
        if (shown) hide(window);
        if (!shown && held->retitle && !held->renameTried) rename(*held);
        if (shown || held->raiseDue) {
            held->raiseDue = false;
            if (!m_launcher.isWaiting(window)) m_launcher.raiseLock(held->request);
        }
        ++held;
    }
}

void HeldWindows::retitleAgain() {
    for (Held& held : m_held) {
        if (!held.retitle) continue;
        const WindowId window = held.request.window;
        const std::string now = m_desktop.windowText(window);
        if (now == kLockedTitle) continue;
        // Renamed by its own program while held (a document saved, say): that is the title it gets back.
        if (held.retitled) held.title = now;
        rename(held);
    }
}

// Once from the guard, whose other work only reads; again at each tick while it fails.
void HeldWindows::rename(Held& held) {
    held.renameTried = true;
    held.retitled = m_desktop.setWindowText(held.request.window, kLockedTitle);
}

// Hidden; where hiding fails, at least minimized, as the window's own program may refuse to hide.
void HeldWindows::hide(WindowId window) {
    if (!m_desktop.showWindowAsync(window, ShowCommand::Hide)) (void)m_desktop.showWindowAsync(window, ShowCommand::Minimize);
}
