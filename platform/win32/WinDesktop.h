#pragma once
#include "platform/IDesktop.h"

// Top-level windows of any process, through user32's wide calls.
class WinDesktop final : public IDesktop {
public:
    WindowId findWindow(std::optional<std::string_view> className, std::optional<std::string_view> title) override;
    WindowId foregroundWindow() override;
    bool isWindow(WindowId window) override;
    std::string windowText(WindowId window) override;
    std::string className(WindowId window) override;
    bool setWindowText(WindowId window, std::string_view text) override;
    bool showWindowAsync(WindowId window, ShowCommand command) override;
    bool isVisible(WindowId window) override;
    bool isMinimized(WindowId window) override;
    bool postClose(WindowId window) override;
    bool removeSystemMenuCommand(WindowId window, uint32_t command) override;
    bool hasSystemMenuCommand(WindowId window, uint32_t command) override;
    bool setTopmost(WindowId window, bool on) override;
    bool isTopmost(WindowId window) override;
    std::vector<WindowId> topLevelWindows() override;
    uint32_t windowStyle(WindowId window) override;
    uint32_t processId(WindowId window) override;
    std::string programFile(WindowId window) override;
};
