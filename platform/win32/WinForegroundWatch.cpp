#include "platform/win32/WinForegroundWatch.h"

#include <stdexcept>
#include <string>

namespace {

constexpr wchar_t kClassName[] = L"ObelonForegroundWatch";
constexpr UINT kChanged = WM_APP + 0x4F;
constexpr DWORD kLookEveryMs = 15;
constexpr unsigned kTitleEvery = 6;

// Events arrive on the thread that asked for them, with no room for a pointer: one watch per program.
std::atomic<WinForegroundWatch*> g_watch{nullptr};

std::wstring titleOf(HWND window) {
    wchar_t text[256] = {};
    const int length = ::InternalGetWindowText(window, text, 256);
    return std::wstring(text, static_cast<size_t>(length > 0 ? length : 0));
}

}  // namespace

WinForegroundWatch::WinForegroundWatch(std::function<void()> changed) : m_changed(std::move(changed)) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &WinForegroundWatch::windowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClassName;
    if (!::RegisterClassExW(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        throw std::runtime_error("RegisterClassExW(ObelonForegroundWatch) failed: " + std::to_string(::GetLastError()));
    }
    m_window = ::CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    if (!m_window) {
        throw std::runtime_error("CreateWindowExW(ObelonForegroundWatch) failed: " + std::to_string(::GetLastError()));
    }
    ::SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    g_watch = this;
    const DWORD flags = WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS;
    m_foregroundHook = ::SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr,
                                         &WinForegroundWatch::eventProc, 0, 0, flags);
    m_nameHook = ::SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr,
                                   &WinForegroundWatch::eventProc, 0, 0, flags);
    m_looker = std::thread([this] { look(); });
}

WinForegroundWatch::~WinForegroundWatch() {
    m_stop = true;
    if (m_looker.joinable()) m_looker.join();
    if (m_nameHook) ::UnhookWinEvent(m_nameHook);
    if (m_foregroundHook) ::UnhookWinEvent(m_foregroundHook);
    g_watch = nullptr;
    ::DestroyWindow(m_window);
}

// Sleep is no call to the window system (unlike a wait on an event under Wine), so the thread costs one call
// per look; the watch ends within one look.
void WinForegroundWatch::look() {
    HWND seenWindow = nullptr;
    std::wstring seenTitle;
    unsigned looks = 0;
    bool first = true;
    while (!m_stop) {
        ::Sleep(kLookEveryMs);
        if (m_stop) break;
        HWND front = ::GetForegroundWindow();
        bool changed = first || front != seenWindow;
        if (changed || ++looks >= kTitleEvery) {
            looks = 0;
            std::wstring title = titleOf(front);
            changed = changed || title != seenTitle;
            seenTitle = std::move(title);
        }
        if (!changed) continue;
        first = false;
        seenWindow = front;
        notify();
    }
}

void WinForegroundWatch::notify() {
    if (m_posted.exchange(true)) return;
    if (!::PostMessageW(m_window, kChanged, 0, 0)) m_posted = false;
}

// A title of a child window (an edit control's text, say) is no title of a window in front.
void CALLBACK WinForegroundWatch::eventProc(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD,
                                            DWORD) {
    WinForegroundWatch* watch = g_watch;
    if (!watch || object != OBJID_WINDOW || child != CHILDID_SELF) return;
    if (event == EVENT_OBJECT_NAMECHANGE && (!hwnd || ::GetAncestor(hwnd, GA_ROOT) != hwnd)) return;
    watch->notify();
}

LRESULT CALLBACK WinForegroundWatch::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kChanged) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    auto* watch = reinterpret_cast<WinForegroundWatch*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!watch) return 0;
    watch->m_posted = false;
    const std::function<void()> changed = watch->m_changed;
    try {
        changed();
    } catch (...) {
        ::OutputDebugStringW(L"Obelon: exception in the foreground watch\n");
    }
    return 0;
}
