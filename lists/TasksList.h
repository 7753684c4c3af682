#pragma once
#include <string>
#include <vector>

#include "platform/IDesktop.h"

// One titled top-level window found by the last enumeration.
struct TaskWindow {
    std::string title;
    WindowId window;
};

// A window a user can pick as a task: shown and with a border.
bool IsTaskWindow(IDesktop& desktop, WindowId window);

// The task-window table: the titled task windows of the desktop, front first.
class TasksList final {
public:
    explicit TasksList(IDesktop& desktop) : m_desktop(desktop) {}
    // Refills the table; `own` is never listed.
    void EnumTaskWindows(WindowId own);
    const std::vector<TaskWindow>& windows() const { return m_windows; }

private:
    IDesktop& m_desktop;
    std::vector<TaskWindow> m_windows;
};
