#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/WindowId.h"

// Show states, with Windows' own numbers.
enum class ShowCommand : int {
    Hide = 0,
    ShowNormal = 1,
    ShowMinimized = 2,
    Maximize = 3,
    ShowNoActivate = 4,
    Show = 5,
    Minimize = 6,
    Restore = 9
};

constexpr uint32_t kScClose = 0xF060;

// Window style bits, with Windows' own values.
constexpr uint32_t kWsVisible = 0x10000000;
constexpr uint32_t kWsBorder = 0x00800000;
constexpr uint32_t kWsCaption = 0x00C00000;  // a title bar, which includes the border
constexpr uint32_t kWsPopup = 0x80000000;

// The top-level windows of every program on the desktop.
class IDesktop {
public:
    virtual ~IDesktop() = default;
    // The front-most window, hidden ones included, whose class and title (whichever are given) equal these
    // without regard to case, as FindWindowW compares them; 0 when none.
    virtual WindowId findWindow(std::optional<std::string_view> className, std::optional<std::string_view> title) = 0;
    virtual WindowId foregroundWindow() = 0;
    virtual bool isWindow(WindowId window) = 0;
    // Read from the system's copy of the title: never waits for the window's program.
    virtual std::string windowText(WindowId window) = 0;
    virtual std::string className(WindowId window) = 0;
    // Sent to the window's program, which gets a short while (a quarter of a second) to answer: a program that
    // stopped answering, or is suspended, leaves the title as it was and the call returns false. Never blocks.
    virtual bool setWindowText(WindowId window, std::string_view text) = 0;
    // Posted: never waits. A window of a program without the foreground right is shown but not activated.
    virtual bool showWindowAsync(WindowId window, ShowCommand command) = 0;
    virtual bool isVisible(WindowId window) = 0;
    virtual bool isMinimized(WindowId window) = 0;
    virtual bool postClose(WindowId window) = 0;  // posted: never waits
    virtual bool removeSystemMenuCommand(WindowId window, uint32_t command) = 0;
    virtual bool hasSystemMenuCommand(WindowId window, uint32_t command) = 0;
    // Waits for the window's program, as setWindowText does.
    virtual bool setTopmost(WindowId window, bool on) = 0;
    virtual bool isTopmost(WindowId window) = 0;
    virtual std::vector<WindowId> topLevelWindows() = 0;  // Z order, front first
    virtual uint32_t windowStyle(WindowId window) = 0;  // kWsVisible follows isVisible
    // The process that made the window, as Windows numbers it; 0 when there is no such window.
    virtual uint32_t processId(WindowId window) = 0;
    // The full path of the program file that process runs; "" when there is no such window or it cannot be asked.
    virtual std::string programFile(WindowId window) = 0;
};
