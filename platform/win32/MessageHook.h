#pragma once
#include <windows.h>

#include <functional>
#include <optional>

// Puts a handler in front of a control's own window procedure for as long as the hook lives. comctl32's
// SetWindowSubclass keeps its chain in a window property, and under Wine every read of a property is a round trip
// to the window server: every message the control got, also the program's own LB_GETTEXT, paid for one, and
// filling or reading a list of a thousand entries took a second. The hook keeps itself in the control's
// GWLP_USERDATA, which the standard controls leave to their owner, and is read without leaving the process.
class MessageHook final {
public:
    // An answer ends the message there; none passes it on to the control.
    using Handler = std::function<std::optional<LRESULT>(UINT message, WPARAM wParam, LPARAM lParam)>;

    MessageHook(HWND hwnd, Handler handler);
    ~MessageHook();
    MessageHook(const MessageHook&) = delete;
    MessageHook& operator=(const MessageHook&) = delete;

private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void unhook();

    HWND m_hwnd;
    WNDPROC m_original = nullptr;
    Handler m_handler;
};
