#include "lists/TasksList.h"

bool IsTaskWindow(IDesktop& desktop, WindowId window) {
    constexpr uint32_t kShownWithBorder = kWsVisible | kWsBorder;
    return (desktop.windowStyle(window) & kShownWithBorder) == kShownWithBorder;
}

// The table grows with the desktop: every qualifying window is listed, however many are open.
// A window that closes during the walk reads as untitled and is left out.
void TasksList::EnumTaskWindows(WindowId own) {
    m_windows.clear();
    for (WindowId window : m_desktop.topLevelWindows()) {
        if (window == own || !IsTaskWindow(m_desktop, window)) continue;
        std::string title = m_desktop.windowText(window);
        if (!title.empty()) m_windows.push_back({std::move(title), window});
    }
}
