#include "engine/Watch.h"

#include <exception>

#include "engine/BuiltInProtections.h"
#include "engine/WindowClasses.h"

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
    : m_platform(platform),
      m_state(state),
      m_lists(lists),
      m_hooks(std::move(hooks)),
      m_held(platform.desktop, launcher),
      m_allow(platform.desktop, lists.allow),
      m_protections(std::make_unique<BuiltInProtections>(platform, state, m_held, launcher)) {}

Watch::~Watch() {
    if (m_started) m_platform.ui.watchForeground({});
}

void Watch::tick() {
    runAlone([this] { runSteps(); });
}

void Watch::start() {
    m_started = true;
    m_platform.ui.watchForeground([this] { lookAtForeground(); });
}

void Watch::guard() {
    m_held.guard();
    updateGuard();
}

// The look reads only the handle and title of the window in front, as the system keeps them, and only when the
// system said they changed: a locked window is hidden within a few hundredths of a second. A changed ignore list
// waits for the tick that loads it, so nothing is locked by the list it replaces. A change during a scan is
// looked at when the scan ends: the scan may have read the window in front before it changed.
void Watch::lookAtForeground() {
    if (m_ticking) {
        m_lookAgain = true;
        return;
    }
    if (m_state.adminExemption || m_state.reloadRequest || !foregroundChanged()) return;
    runAlone([this] { scanTasks(); });
}

// A scan that falls due while another is still processing events is dropped: one scan at a time. Any failure
// ends it with the platform's description in the message dialog; the next starts afresh.
void Watch::runAlone(const std::function<void()>& scan) {
    if (m_ticking) return;
    m_ticking = true;
    try {
        scan();
    } catch (const std::exception& error) {
        m_state.messageText = std::string("Error: \"") + error.what() + "\".";
        if (m_hooks.showMessage) m_hooks.showMessage();
    }
    m_ticking = false;
    updateGuard();
    if (m_lookAgain) {
        m_lookAgain = false;
        lookAtForeground();
    }
}

void Watch::updateGuard() {
    const bool needed = m_held.holdsAny();
    if (needed == m_guarding) return;
    m_guarding = needed;
    if (m_hooks.guardHeld) m_hooks.guardHeld(needed);
}

bool Watch::foregroundChanged() {
    IDesktop& desktop = m_platform.desktop;
    const WindowId window = desktop.foregroundWindow();
    std::string title = firstCharacters(desktop.windowText(window), kMaxWindowText);
    if (window == m_snapshot.window && title == m_snapshot.title) return false;
    m_snapshot.window = window;
    m_snapshot.title = std::move(title);
    m_snapshot.className = firstCharacters(desktop.className(window), kMaxWindowText);
    return true;
}

void Watch::runSteps() {
    RunProgramMaintenace();
    if (m_state.adminExemption) return;
    m_held.retitleAgain();
    takeSnapshot();
    scanTasks();
    m_allow.cleanUp();
    m_protections->RunAdvanced(m_snapshot);
}

// The load empties and refills the ignore list itself when it runs; emptying it here, while a change of the
// configuration may be storing it, would cut the stored list short.
void Watch::RunProgramMaintenace() {
    if (!m_state.reloadRequest) return;
    m_state.reloadRequest = false;
    if (m_hooks.GetConfig) m_hooks.GetConfig();
}

void Watch::takeSnapshot() {
    IDesktop& desktop = m_platform.desktop;
    m_snapshot.window = desktop.foregroundWindow();
    m_snapshot.title = firstCharacters(desktop.windowText(m_snapshot.window), kMaxWindowText);
    m_snapshot.className = firstCharacters(desktop.className(m_snapshot.window), kMaxWindowText);
}

// Every checked entry found in the title would lock the window again; it is locked once, named by the last of
// them. Never locked: no window at all, an empty title (the taskbar and the desktop have one), the shell's own
// windows, this program's windows (a general entry would hide the very dialog that unlocks it), and a window
// already held. Pending events run once before the scan (an edit of the lists waiting there counts), then only
// when a few milliseconds of work have passed: each pass through the message queue costs a trip to the system.
void Watch::scanTasks() {
    m_platform.ui.processEvents();
    m_eventsLetRunAtMs = m_platform.clock.uptimeMs();
    // Read again after an edit whatever is in front, so the next window that needs a lock does not wait for it.
    refresh(m_lists.tasks, m_checkedTasks, true);
    refresh(m_lists.ignore, m_ignore, false);
    const ForegroundSnapshot& front = m_snapshot;
    if (!front.window || front.title.empty() || isShellWindow(front.className)) return;
    if (m_platform.process.ownsWindow(front.window) || m_held.holds(front.window)) return;
    // Only the next scan reads the lists again, and no scan starts while this one runs: the copy stays as it is.
    const std::vector<std::string>& checked = m_checkedTasks.entries;
    std::string locking;
    bool matched = false;
    uint32_t process = 0;
    bool processKnown = false;
    for (size_t i = 0; i < checked.size(); ++i) {
        letEventsRunNowAndThen(i);
        const std::string& entry = checked[i];
        if (front.title.find(entry) == std::string::npos) continue;
        if (!processKnown) {
            process = m_platform.desktop.processId(front.window);
            processKnown = true;
        }
        if (m_allow.allows(process, front.className, front.title) || isIgnored(entry)) continue;
        locking = entry;
        matched = true;
    }
    if (matched) lock(locking);
}

void Watch::letEventsRunNowAndThen(size_t done) {
    constexpr size_t kEntriesBetweenLooks = 64;
    constexpr int64_t kWorkBetweenEventsMs = 5;
    if (done == 0 || done % kEntriesBetweenLooks != 0) return;
    const int64_t now = m_platform.clock.uptimeMs();
    if (now - m_eventsLetRunAtMs < kWorkBetweenEventsMs) return;
    m_platform.ui.processEvents();
    m_eventsLetRunAtMs = m_platform.clock.uptimeMs();
}

void Watch::refresh(ui::ListBox& list, ListCopy& copy, bool checkedOnly) {
    if (list.revision() == copy.revision) return;
    copy.entries.clear();
    const int count = list.count();
    for (int i = 0; i < count; ++i) {
        if (!checkedOnly || list.isChecked(i)) copy.entries.push_back(list.item(i));
    }
    copy.revision = list.revision();
}

bool Watch::isIgnored(const std::string& entry) {
    for (const std::string& ignored : m_ignore.entries) {
        if (entry.find(ignored) != std::string::npos) return true;
    }
    return false;
}

// Retitled "###" and hidden (or at least minimized), and held until the password gives it back.
void Watch::lock(const std::string& entry) {
    m_held.hold({.mode = LockMode::Task,
                 .window = m_snapshot.window,
                 .label = entry,
                 .windowClass = m_snapshot.className,
                 .process = m_platform.desktop.processId(m_snapshot.window)},
                true);
}

// Cancel asks the window to close twice, as the dialog always has; a window still there stays held.
void Watch::lockAnswered(const LockRequest& request, LockAnswer answer) {
    IDesktop& desktop = m_platform.desktop;
    if (answer == LockAnswer::Cancelled) {
        if (request.window) {
            (void)desktop.postClose(request.window);
            (void)desktop.postClose(request.window);
        }
        return;
    }
    switch (request.mode) {
        case LockMode::Task:
            if (!request.window) return;
            if (!request.windowClass.empty()) m_allow.add(request.windowClass, request.process);
            m_held.giveBack(request.window);
            m_held.giveBackUnasked(request.process);
            updateGuard();
            return;
        case LockMode::Installer:
            m_protections->unlocked(request.mode);
            if (request.window) {
                (void)desktop.showWindowAsync(request.window, ShowCommand::Show);
                (void)desktop.showWindowAsync(request.window, ShowCommand::Restore);
            }
            return;
        case LockMode::Uninstaller:
        case LockMode::RegistryTools:
        case LockMode::InternetExplorer:
        case LockMode::Firefox:
        case LockMode::Explorer:
        case LockMode::TaskManager:
            m_protections->unlocked(request.mode);
            m_held.giveBackAll(request.mode);
            updateGuard();
            return;
        case LockMode::Configuration:
        case LockMode::SetPassword:
            return;
    }
}

void Watch::giveBackHeldWindows() {
    m_held.giveBackEverything();
    updateGuard();
}
