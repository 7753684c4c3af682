#include "engine/AllowList.h"

#include "engine/WindowClasses.h"

AllowList::AllowList(IDesktop& desktop, ui::ListBox& shown) : m_desktop(desktop), m_shown(shown) {}

void AllowList::add(const std::string& windowClass, uint32_t process) {
    m_entries.push_back({windowClass, process});
    m_shown.addItem(windowClass);
}

bool AllowList::allows(uint32_t process, const std::string& windowClass, const std::string& title) const {
    for (const Entry& entry : m_entries) {
        if (entry.process == process && (entry.windowClass == windowClass || entry.windowClass == title)) return true;
    }
    return false;
}

void AllowList::cleanUp() {
    for (size_t at = 0; at < m_entries.size(); ++at) {
        if (programHasWindowOfClass(m_entries[at])) continue;
        m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(at));
        if (static_cast<int>(at) < m_shown.count()) m_shown.removeItem(static_cast<int>(at));
        return;
    }
}

bool AllowList::programHasWindowOfClass(const Entry& entry) {
    const WindowId front = m_desktop.findWindow(entry.windowClass, std::nullopt);
    if (!front) return false;
    if (m_desktop.processId(front) == entry.process) return true;
    for (const WindowId window : windowsOfClass(m_desktop, entry.windowClass)) {
        if (m_desktop.processId(window) == entry.process) return true;
    }
    return false;
}
