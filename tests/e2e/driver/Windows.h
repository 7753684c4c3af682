#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

class Args;

// Which top-level window a command means. Empty fields match anything.
struct WindowQuery {
    std::optional<std::wstring> title;          // exact
    std::optional<std::wstring> titleContains;  // case-sensitive substring
    std::optional<std::wstring> className;      // exact, case-insensitive as Windows compares classes
    std::optional<DWORD> pid;
    bool visibleOnly = false;
    bool hiddenOnly = false;
    bool minimizedOnly = false;
    bool maximizedOnly = false;
};

// Which control below a top-level window. `index` counts among the matches, in enumeration order.
struct ChildQuery {
    std::optional<std::wstring> className;
    std::optional<std::wstring> caption;
    std::optional<std::wstring> contains;
    std::optional<int> id;
    int index = 0;
};

// Reads --title, --title-contains, --pid, --visible, --hidden and the top-level class from `classOption`.
std::optional<WindowQuery> windowQueryFrom(const Args& args, const char* classOption, std::string& error);
std::optional<ChildQuery> childQueryFrom(const Args& args, std::string& error);

std::vector<HWND> findTopLevel(const WindowQuery& query);
// Polls every 50 ms until a match exists; null when `timeoutMs` passes first.
HWND waitTopLevel(const WindowQuery& query, DWORD timeoutMs);
std::vector<HWND> allDescendants(HWND parent);
HWND findChild(HWND parent, const ChildQuery& query);

// Text through WM_GETTEXT, which the system marshals across processes; edit controls keep their
// text only there. Falls back to the window's own title when the owner does not answer in time.
std::wstring windowText(HWND window);
// A top-level title as the system keeps it; never waits for the window's owner.
std::wstring windowTitle(HWND window);
std::wstring windowClass(HWND window);
DWORD windowPid(HWND window);
std::string hwndText(HWND window);
// One line for people reading a log: handle, class, visibility, id, pid, text.
std::string describeWindow(HWND window);
