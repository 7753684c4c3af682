#include "engine/HeldWindows.h"

#include <algorithm>

namespace {
constexpr const char* kLockedTitle = "###";
}  // namespace

HeldWindows::HeldWindows(IDesktop& desktop, PasswordDialogLauncher& launcher)
    : m_desktop(desktop), m_launcher(launcher) {}

// The title is read in full from the system's copy before the rename. The hide is posted first, so that the
// window goes as soon as its program gets to it, before the rename's answer is waited for; a program that does
// not answer keeps its title for now and is retitled at a later tick.
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
    if (retitle) held.retitled = m_desktop.setWindowText(window, kLockedTitle);
    m_held.push_back(std::move(held));
    m_launcher.raiseLock(request);
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

// Only reads of the system's own state, and a posted hide: a program that does not answer cannot hold this up.
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
        if (m_desktop.isVisible(window) || window == foreground) {
            hide(window);
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
        held.retitled = m_desktop.setWindowText(window, kLockedTitle);
    }
}

// Hidden; where hiding fails, at least minimized, as the window's own program may refuse to hide.
void HeldWindows::hide(WindowId window) {
    if (!m_desktop.showWindowAsync(window, ShowCommand::Hide)) (void)m_desktop.showWindowAsync(window, ShowCommand::Minimize);
}
