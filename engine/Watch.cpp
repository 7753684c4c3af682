#include "engine/Watch.h"

#include <exception>

namespace {

// The title and class are read as the system's 255-character buffers give them: at most 254 characters.
constexpr size_t kMaxWindowText = 254;

// Cut after `limit` characters, never inside one.
std::string firstCharacters(std::string text, size_t limit) {
    size_t characters = 0;
    for (size_t at = 0; at < text.size(); ++at) {
        if ((static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) continue;
        if (characters++ == limit) {
            text.resize(at);
            break;
        }
    }
    return text;
}

}  // namespace

Watch::Watch(Platform& platform, ProgramState& state, WatchLists lists, PasswordDialogLauncher& launcher,
             WatchHooks hooks)
    : m_platform(platform), m_state(state), m_lists(lists), m_launcher(launcher), m_hooks(std::move(hooks)) {}

// A tick that falls due while the previous one is still processing events is dropped: one scan at a time.
// Any failure ends the tick with the platform's description in the message dialog; the next starts afresh.
void Watch::tick() {
    if (m_ticking) return;
    m_ticking = true;
    try {
        runSteps();
    } catch (const std::exception& error) {
        m_state.messageText = std::string("Error: \"") + error.what() + "\".";
        if (m_hooks.showMessage) m_hooks.showMessage();
    }
    m_ticking = false;
}

void Watch::runSteps() {
    RunProgramMaintenace();
    if (m_state.adminExemption) return;
    takeSnapshot();
    scanTasks();
    CleanUpWindows();
    if (m_hooks.RunAdvanced) m_hooks.RunAdvanced();
}

void Watch::RunProgramMaintenace() {
    if (!m_state.reloadRequest) return;
    m_state.reloadRequest = false;
    m_lists.ignore.clear();
    if (m_hooks.GetConfig) m_hooks.GetConfig();
}

void Watch::takeSnapshot() {
    IDesktop& desktop = m_platform.desktop;
    m_snapshot.window = desktop.foregroundWindow();
    m_snapshot.title = firstCharacters(desktop.windowText(m_snapshot.window), kMaxWindowText);
    m_snapshot.className = firstCharacters(desktop.className(m_snapshot.window), kMaxWindowText);
}

// The title was taken before any rename, so every checked entry found in it locks again and the
// last one names the lock. The program's own windows are never locked: a general entry would
// otherwise hide the very dialog that unlocks it. Lists may shrink while events run, so each
// index is checked against the current count before it is read.
void Watch::scanTasks() {
    if (m_platform.process.ownsWindow(m_snapshot.window)) return;
    ui::ListBox& tasks = m_lists.tasks;
    const int count = tasks.count();
    for (int i = 0; i < count; ++i) {
        m_platform.ui.processEvents();
        if (i >= tasks.count()) break;
        if (!tasks.isChecked(i)) continue;
        const std::string entry = tasks.item(i);
        if (m_snapshot.title.find(entry) == std::string::npos) continue;
        if (isAllowed() || isIgnored(entry)) continue;
        lock(entry);
    }
}

bool Watch::isAllowed() {
    ui::ListBox& allow = m_lists.allow;
    const int count = allow.count();
    for (int j = 0; j < count; ++j) {
        m_platform.ui.processEvents();
        if (j >= allow.count()) break;
        const std::string entry = allow.item(j);
        if (entry == m_snapshot.className || entry == m_snapshot.title) return true;
    }
    return false;
}

bool Watch::isIgnored(const std::string& entry) {
    ui::ListBox& ignore = m_lists.ignore;
    const int count = ignore.count();
    for (int k = 0; k < count; ++k) {
        m_platform.ui.processEvents();
        if (k >= ignore.count()) break;
        if (entry.find(ignore.item(k)) != std::string::npos) return true;
    }
    return false;
}

// Hidden, or at least minimized when hiding fails; the dialog opens either way.
void Watch::lock(const std::string& entry) {
    IDesktop& desktop = m_platform.desktop;
    const WindowId window = m_snapshot.window;
    (void)desktop.setWindowText(window, "###");
    m_state.lock.window = window;
    m_state.lock.label = entry;
    m_state.lock.windowClass = m_snapshot.className;
    if (!desktop.showWindowAsync(window, ShowCommand::Hide)) (void)desktop.showWindowAsync(window, ShowCommand::Minimize);
    m_state.lock.mode = "app";
    m_launcher.showPasswordDialog();
}

// One vanished class per tick at most.
void Watch::CleanUpWindows() {
    ui::ListBox& allow = m_lists.allow;
    const int count = allow.count();
    for (int j = 0; j < count; ++j) {
        m_platform.ui.processEvents();
        if (j >= allow.count()) break;
        if (!m_platform.desktop.findWindow(allow.item(j), std::nullopt)) {
            allow.removeItem(j);
            return;
        }
    }
}
