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

Watch::~Watch() = default;

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

void Watch::guard() {
    m_held.guard();
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

// Every checked entry found in the title would lock the window again; it is locked once, named by the last of
// them. Never locked: no window at all, an empty title (the taskbar and the desktop have one), the shell's own
// windows, this program's windows (a general entry would hide the very dialog that unlocks it), and a window
// already held. Lists may shrink while events run, so each index is checked against the current count.
void Watch::scanTasks() {
    const ForegroundSnapshot& front = m_snapshot;
    if (!front.window || front.title.empty() || isShellWindow(front.className)) return;
    if (m_platform.process.ownsWindow(front.window) || m_held.holds(front.window)) return;
    ui::ListBox& tasks = m_lists.tasks;
    const int count = tasks.count();
    std::string locking;
    bool matched = false;
    uint32_t process = 0;
    bool processKnown = false;
    for (int i = 0; i < count; ++i) {
        m_platform.ui.processEvents();
        if (i >= tasks.count()) break;
        if (!tasks.isChecked(i)) continue;
        const std::string entry = tasks.item(i);
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
            return;
        case LockMode::Configuration:
        case LockMode::SetPassword:
            return;
    }
}

void Watch::giveBackHeldWindows() {
    m_held.giveBackEverything();
}
