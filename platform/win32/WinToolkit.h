#pragma once
#include <windows.h>

#include <memory>

#include "platform/ui/Toolkit.h"
#include "platform/win32/WinForegroundWatch.h"
#include "platform/win32/UniqueHandle.h"

class WinShell;

// What every form shares with the toolkit that made it; the toolkit outlives its forms.
struct FormContext {
    HINSTANCE instance = nullptr;
    HFONT font = nullptr;
    UINT taskbarCreated = 0;    // registered "TaskbarCreated" message, 0 if unavailable
    WinShell* shell = nullptr;  // re-adds a form's tray icons; may be null
};

// Real windows for the forms of the logic, and the message pump that drives them.
class WinToolkit final : public ui::Toolkit {
public:
    explicit WinToolkit(WinShell* shell);
    ~WinToolkit() override;
    WinToolkit(const WinToolkit&) = delete;
    WinToolkit& operator=(const WinToolkit&) = delete;

    std::unique_ptr<ui::Form> createForm(const ui::FormSpec& spec) override;
    void processEvents() override;
    bool waitForEvent() override;
    void watchForeground(ui::Handler changed) override;
    // The program's main loop: runs until WM_QUIT and returns its exit code.
    int runMessageLoop();

private:
    void dispatch(MSG& message);
    bool heldBack(const MSG& message) const;
    FormContext m_context;
    UniqueHFont m_font;
    ATOM m_formClass = 0;
    bool m_quit = false;  // WM_QUIT was seen by a wait; put back for the main loop each time
    std::unique_ptr<WinForegroundWatch> m_foregroundWatch;
};
