#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <thread>

// Tells the program's own thread, through its message loop, that the window in front or its title changed.
// Windows reports both as events (EVENT_SYSTEM_FOREGROUND, EVENT_OBJECT_NAMECHANGE) the moment they happen. Wine
// does not deliver them across processes, so a thread of its own also looks at the foreground window: its handle
// every 15 ms and its title every 90 ms, each one call to the window system, and posts only a change. A timer on
// the message loop cost a round of that loop 40 times a second.
class WinForegroundWatch final {
public:
    // Made on the thread whose message loop runs `changed`.
    explicit WinForegroundWatch(std::function<void()> changed);
    ~WinForegroundWatch();
    WinForegroundWatch(const WinForegroundWatch&) = delete;
    WinForegroundWatch& operator=(const WinForegroundWatch&) = delete;

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static void CALLBACK eventProc(HWINEVENTHOOK hook, DWORD event, HWND hwnd, LONG object, LONG child, DWORD thread,
                                   DWORD time);
    void look();
    void notify();

    std::function<void()> m_changed;
    HWND m_window = nullptr;  // message-only, on the program's thread
    HWINEVENTHOOK m_foregroundHook = nullptr;
    HWINEVENTHOOK m_nameHook = nullptr;
    std::atomic<bool> m_posted{false};  // one notice waits at a time
    std::atomic<bool> m_stop{false};
    std::thread m_looker;
};
