#include "platform/sim/SimDesktop.h"

#include <algorithm>
#include <utility>

namespace sim {

namespace {

// The next code point of UTF-8 text; a broken sequence yields its lead byte.
char32_t nextCodePoint(std::string_view text, size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at++]);
    const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    if (at + static_cast<size_t>(extra) > text.size()) return lead;
    char32_t code = extra == 0 ? lead : lead & (0x3Fu >> extra);
    for (int i = 0; i < extra; ++i) code = (code << 6) | (static_cast<unsigned char>(text[at++]) & 0x3Fu);
    return code;
}

// Windows' own upper-casing for the scripts window titles are written in: Latin, Greek and Cyrillic.
char32_t upper(char32_t c) {
    if ((c >= U'a' && c <= U'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) ||
        (c >= 0x430 && c <= 0x44F)) {
        return c - 0x20;
    }
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 && c != 0x17F) {
        // Latin Extended-A pairs capital and small; the run U+0139..U+0148 and U+0179..U+017E is offset by one.
        const bool oddPairs = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (oddPairs ? (c % 2 == 0) : (c % 2 == 1)) return c - 1;
    }
    return c;
}

// As FindWindowW compares: code point by code point, without regard to case.
bool equalIgnoringCase(std::string_view a, std::string_view b) {
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (upper(nextCodePoint(a, i)) != upper(nextCodePoint(b, j))) return false;
    }
    return i == a.size() && j == b.size();
}

}  // namespace

SimDesktop::Entry* SimDesktop::find(WindowId window) {
    return const_cast<Entry*>(static_cast<const SimDesktop*>(this)->find(window));
}

const SimDesktop::Entry* SimDesktop::find(WindowId window) const {
    if (!window) return nullptr;
    auto found = std::find_if(m_windows.begin(), m_windows.end(),
                              [window](const Entry& entry) { return entry.window.id == window; });
    return found == m_windows.end() ? nullptr : &*found;
}

// As FindWindow: the front-most match, hidden windows included.
WindowId SimDesktop::findWindow(std::optional<std::string_view> className, std::optional<std::string_view> title) {
    for (const Entry& entry : m_windows) {
        if (className && !equalIgnoringCase(entry.window.className, *className)) continue;
        if (title && !equalIgnoringCase(entry.window.title, *title)) continue;
        return entry.window.id;
    }
    return {};
}

std::string SimDesktop::windowText(WindowId window) {
    const Entry* entry = find(window);
    return entry ? entry->window.title : std::string();
}

std::string SimDesktop::className(WindowId window) {
    const Entry* entry = find(window);
    return entry ? entry->window.className : std::string();
}

// A program that does not answer is given up on; the retitle does not arrive later either.
bool SimDesktop::setWindowText(WindowId window, std::string_view text) {
    Entry* entry = find(window);
    if (!entry || isHung(*entry)) return false;
    entry->window.title = std::string(text);
    return true;
}

// The showing commands activate the window, as they do on Windows, when its program may take the
// foreground; hiding or minimizing the foreground window hands the foreground on.
bool SimDesktop::showWindowAsync(WindowId window, ShowCommand command) {
    Entry* entry = find(window);
    if (!entry) return false;
    if (queuedWhileHung(*entry, [this, window, command] { (void)showWindowAsync(window, command); })) return true;
    SimWindowSink* sink = entry->sink;
    const bool wasMinimized = entry->window.minimized;
    const bool wasMaximized = entry->window.maximized;
    const auto tellIfResized = [&] {
        const Entry* after = find(window);
        if (sink && after && (after->window.minimized != wasMinimized || after->window.maximized != wasMaximized)) {
            sink->sizeChanged();
        }
    };
    switch (command) {
        case ShowCommand::Hide:
            setVisibleState(window, false);
            return true;
        case ShowCommand::ShowMinimized:
        case ShowCommand::Minimize:
            entry->window.visible = true;
            setMinimizedState(window, true, false);
            tellIfResized();
            return true;
        case ShowCommand::Maximize:
            entry->window.minimized = false;
            entry->window.maximized = true;
            break;
        case ShowCommand::ShowNormal:
        case ShowCommand::Restore:
            entry->window.minimized = false;
            entry->window.maximized = false;
            break;
        case ShowCommand::ShowNoActivate:
            entry->window.minimized = false;
            entry->window.maximized = false;
            entry->window.visible = true;
            tellIfResized();
            return true;
        case ShowCommand::Show:
            break;
    }
    entry->window.visible = true;
    if (mayTakeForeground(entry->window.process)) {
        activate(*entry);
    } else {
        showBehindForeground(window);
    }
    tellIfResized();
    return true;
}

bool SimDesktop::isVisible(WindowId window) {
    const Entry* entry = find(window);
    return entry && entry->window.visible;
}

bool SimDesktop::isMinimized(WindowId window) {
    const Entry* entry = find(window);
    return entry && entry->window.minimized;
}

// A foreign program obeys at once and its window goes; a form of ours handles it at its next processEvents.
bool SimDesktop::postClose(WindowId window) {
    Entry* entry = find(window);
    if (!entry) return false;
    ++m_closesPosted[window.v];
    if (!queuedWhileHung(*entry, [this, window] { deliverClose(window); })) deliverClose(window);
    return true;
}

void SimDesktop::deliverClose(WindowId window) {
    Entry* entry = find(window);
    if (!entry) return;
    if (entry->sink) {
        entry->sink->closeRequested();
    } else {
        destroyWindow(window);
    }
}

bool SimDesktop::removeSystemMenuCommand(WindowId window, uint32_t command) {
    Entry* entry = find(window);
    return entry && entry->window.systemMenu.erase(command) != 0;
}

bool SimDesktop::hasSystemMenuCommand(WindowId window, uint32_t command) {
    const Entry* entry = find(window);
    return entry && entry->window.systemMenu.count(command) != 0;
}

bool SimDesktop::setTopmost(WindowId window, bool on) {
    Entry* entry = find(window);
    if (!entry || blocked(*entry)) return false;
    entry->window.topmost = on;
    bringForward(window);  // to the front of the band it joins, as HWND_TOPMOST and HWND_NOTOPMOST place it
    return true;
}

bool SimDesktop::isTopmost(WindowId window) {
    const Entry* entry = find(window);
    return entry && entry->window.topmost;
}

std::vector<WindowId> SimDesktop::topLevelWindows() {
    std::vector<WindowId> ids;
    ids.reserve(m_windows.size());
    for (const Entry& entry : m_windows) ids.push_back(entry.window.id);
    return ids;
}

uint32_t SimDesktop::windowStyle(WindowId window) {
    const Entry* entry = find(window);
    if (!entry) return 0;
    return (entry->window.style & ~kWsVisible) | (entry->window.visible ? kWsVisible : 0u);
}

uint32_t SimDesktop::processId(WindowId window) {
    const Entry* entry = find(window);
    if (!entry) return 0;
    return entry->window.process != 0 ? static_cast<uint32_t>(entry->window.process) : entry->window.program;
}

std::string SimDesktop::programFile(WindowId window) {
    const auto found = m_programFiles.find(processId(window));
    return found == m_programFiles.end() ? std::string() : found->second;
}

void SimDesktop::setProgramFile(uint32_t process, std::string path) {
    m_programFiles[process] = std::move(path);
}

WindowId SimDesktop::createWindow(std::string title, std::string className, bool visible, uint32_t program) {
    SimWindow window;
    window.program = program;
    if (program == 0) {
        window.program = m_nextProgram;
        m_nextProgram += 4;  // Windows numbers processes in fours
    }
    window.title = std::move(title);
    window.className = std::move(className);
    window.visible = visible;
    const WindowId id = addWindow(std::move(window), nullptr);
    if (visible) {
        userInput(0);
        m_foreground = id;
    }
    return id;
}

WindowId SimDesktop::createStyledWindow(std::string title, std::string className, uint32_t style) {
    const WindowId id = createWindow(std::move(title), std::move(className), (style & kWsVisible) != 0);
    find(id)->window.style = style & ~kWsVisible;
    return id;
}

void SimDesktop::setForeground(WindowId window) {
    Entry* entry = find(window);
    if (!entry) return;
    userInput(entry->window.process);
    activate(*entry);
}

void SimDesktop::destroyWindow(WindowId window) {
    if (!find(window)) return;
    passForegroundFrom(window);
    std::erase_if(m_windows, [window](const Entry& entry) { return entry.window.id == window; });
}

std::vector<SimWindow> SimDesktop::windows() const {
    std::vector<SimWindow> all;
    all.reserve(m_windows.size());
    for (const Entry& entry : m_windows) all.push_back(entry.window);
    return all;
}

std::optional<SimWindow> SimDesktop::window(WindowId window) const {
    const Entry* entry = find(window);
    if (!entry) return std::nullopt;
    return entry->window;
}

int SimDesktop::closeMessagesPosted(WindowId window) const {
    auto found = m_closesPosted.find(window.v);
    return found == m_closesPosted.end() ? 0 : found->second;
}

void SimDesktop::userInput(ProcessId process) {
    m_foregroundRight = {process};
}

void SimDesktop::allowForeground(ProcessId process) {
    m_foregroundRight.insert(process);
}

bool SimDesktop::mayTakeForeground(ProcessId process) const {
    const Entry* front = find(m_foreground);
    return !front || front->window.process == process || m_foregroundRight.count(process) != 0;
}

int SimDesktop::flashes(WindowId window) const {
    auto found = m_flashes.find(window.v);
    return found == m_flashes.end() ? 0 : found->second;
}

void SimDesktop::setHung(WindowId window, bool hung) {
    const Entry* entry = find(window);
    if (!entry) return;
    const ProcessId process = entry->window.process;
    if (process != 0 && hung) m_hungProcesses.insert(process);
    if (process != 0 && !hung) m_hungProcesses.erase(process);
    if (process == 0 && hung) m_hungWindows.insert(window.v);
    if (process == 0 && !hung) m_hungWindows.erase(window.v);
    if (hung) return;
    // The program takes what was posted to it while it did not answer, in order; a window gone since takes nothing.
    std::vector<Posted> due;
    std::erase_if(m_postedToHung, [&](Posted& posted) {
        const Entry* target = find(WindowId{posted.window});
        if (target && isHung(*target)) return false;
        if (target) due.push_back(std::move(posted));
        return true;
    });
    for (Posted& posted : due) posted.deliver();
}

bool SimDesktop::queuedWhileHung(const Entry& entry, std::function<void()> deliver) {
    if (!isHung(entry)) return false;
    m_postedToHung.push_back(Posted{entry.window.id.v, std::move(deliver)});
    return true;
}

int SimDesktop::blockedCalls(WindowId window) const {
    auto found = m_blockedCalls.find(window.v);
    return found == m_blockedCalls.end() ? 0 : found->second;
}

bool SimDesktop::isHung(const Entry& entry) const {
    if (entry.window.process != 0) return m_hungProcesses.count(entry.window.process) != 0;
    return m_hungWindows.count(entry.window.id.v) != 0;
}

// A call that would wait for a program that does not answer: counted, and it does nothing.
bool SimDesktop::blocked(const Entry& entry) {
    if (!isHung(entry)) return false;
    ++m_blockedCalls[entry.window.id.v];
    return true;
}

// Shown without the foreground: in front of everything but the foreground window, its taskbar button flashing.
void SimDesktop::showBehindForeground(WindowId window) {
    bringForward(window);
    if (find(m_foreground) && m_foreground != window) bringForward(m_foreground);
    ++m_flashes[window.v];
}

// A new window is created at the top of the Z order, beneath the topmost windows.
WindowId SimDesktop::addWindow(SimWindow window, SimWindowSink* sink) {
    window.id = WindowId{m_nextId};
    m_nextId += 4;
    const WindowId id = window.id;
    m_windows.insert(m_windows.begin(), Entry{std::move(window), sink});
    bringForward(id);
    return id;
}

void SimDesktop::setVisibleState(WindowId window, bool visible) {
    Entry* entry = find(window);
    if (!entry) return;
    entry->window.visible = visible;
    if (!visible) passForegroundFrom(window);
}

void SimDesktop::setStyleState(WindowId window, uint32_t style) {
    if (Entry* entry = find(window)) entry->window.style = style & ~kWsVisible;
}

void SimDesktop::setMinimizedState(WindowId window, bool minimized, bool maximized) {
    Entry* entry = find(window);
    if (!entry) return;
    entry->window.minimized = minimized;
    entry->window.maximized = maximized && !minimized;
    if (minimized) passForegroundFrom(window);
}

// Topmost windows stay above all others: a window comes to the front of its own band.
void SimDesktop::bringForward(WindowId window) {
    auto found = std::find_if(m_windows.begin(), m_windows.end(),
                              [window](const Entry& entry) { return entry.window.id == window; });
    if (found == m_windows.end()) return;
    Entry moving = std::move(*found);
    m_windows.erase(found);
    const auto at = moving.window.topmost ? m_windows.begin()
                                          : std::find_if(m_windows.begin(), m_windows.end(),
                                                         [](const Entry& entry) { return !entry.window.topmost; });
    m_windows.insert(at, std::move(moving));
}

bool SimDesktop::takeForeground(WindowId window, bool justShown) {
    const Entry* entry = find(window);
    if (!entry) return false;
    if (!mayTakeForeground(entry->window.process)) {
        if (justShown) {
            showBehindForeground(window);
        } else {
            ++m_flashes[window.v];
        }
        return false;
    }
    bringForward(window);
    m_foreground = window;
    return true;
}

void SimDesktop::removeProcessWindows(ProcessId process) {
    std::vector<WindowId> gone;
    for (const Entry& entry : m_windows) {
        if (process != 0 && entry.window.process == process) gone.push_back(entry.window.id);
    }
    for (WindowId window : gone) destroyWindow(window);
}

SimWindowSink* SimDesktop::sinkOf(WindowId window) const {
    const Entry* entry = find(window);
    return entry ? entry->sink : nullptr;
}

// To the front-most other window that is shown and not minimized, or to none. A form that gets it
// is activated, as Windows activates the next window.
void SimDesktop::passForegroundFrom(WindowId window) {
    if (m_foreground != window) return;
    m_foreground = WindowId{};
    for (const Entry& entry : m_windows) {
        if (entry.window.id != window && entry.window.visible && !entry.window.minimized) {
            m_foreground = entry.window.id;
            if (entry.sink) entry.sink->activatedFromOutside();
            return;
        }
    }
}

void SimDesktop::activate(Entry& entry) {
    const WindowId window = entry.window.id;
    SimWindowSink* sink = entry.sink;
    const bool changed = m_foreground != window;
    bringForward(window);
    m_foreground = window;
    if (changed && sink) sink->activatedFromOutside();
}

}  // namespace sim
