#include "platform/win32/WinDesktop.h"

#include <windows.h>

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Utf.h"
#include "platform/win32/WindowHandle.h"

WindowId WinDesktop::findWindow(std::optional<std::string_view> className, std::optional<std::string_view> title) {
    const std::wstring wideClass = className ? toWide(*className) : std::wstring();
    const std::wstring wideTitle = title ? toWide(*title) : std::wstring();
    return toWindowId(::FindWindowW(className ? wideClass.c_str() : nullptr, title ? wideTitle.c_str() : nullptr));
}

WindowId WinDesktop::foregroundWindow() {
    return toWindowId(::GetForegroundWindow());
}

bool WinDesktop::isWindow(WindowId window) {
    return ::IsWindow(toHwnd(window)) != FALSE;
}

// The system's copy, for every window: GetWindowTextW would send WM_GETTEXT to a window of another thread of
// this process and wait for that thread. A title that fills the buffer may be longer, so it is read again.
std::string WinDesktop::windowText(WindowId window) {
    constexpr size_t kLongestTitle = 32768;
    std::wstring text(256, L'\0');
    for (;;) {
        const int copied = ::InternalGetWindowText(toHwnd(window), text.data(), static_cast<int>(text.size()));
        const auto length = static_cast<size_t>(copied > 0 ? copied : 0);
        if (length + 1 < text.size() || text.size() >= kLongestTitle) {
            text.resize(length);
            return toUtf8(text);
        }
        text.assign(text.size() * 4, L'\0');
    }
}

std::string WinDesktop::className(WindowId window) {
    wchar_t name[256] = {};
    const int length = ::GetClassNameW(toHwnd(window), name, 256);
    return toUtf8(std::wstring_view(name, static_cast<size_t>(length > 0 ? length : 0)));
}

// WM_SETTEXT with a time limit: a program that does not answer (hung, suspended, busy) cannot hold this one up.
bool WinDesktop::setWindowText(WindowId window, std::string_view text) {
    constexpr UINT kAnswerWithinMs = 250;
    const std::wstring wide = toWide(text);
    DWORD_PTR result = 0;
    const LRESULT sent = ::SendMessageTimeoutW(toHwnd(window), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()),
                                               SMTO_ABORTIFHUNG | SMTO_NORMAL, kAnswerWithinMs, &result);
    return sent != 0 && result != 0;
}

bool WinDesktop::showWindowAsync(WindowId window, ShowCommand command) {
    return ::ShowWindowAsync(toHwnd(window), static_cast<int>(command)) != FALSE;
}

bool WinDesktop::isVisible(WindowId window) {
    return ::IsWindowVisible(toHwnd(window)) != FALSE;
}

bool WinDesktop::isMinimized(WindowId window) {
    return ::IsIconic(toHwnd(window)) != FALSE;
}

bool WinDesktop::postClose(WindowId window) {
    return ::PostMessageW(toHwnd(window), WM_CLOSE, 0, 0) != FALSE;
}

bool WinDesktop::removeSystemMenuCommand(WindowId window, uint32_t command) {
    HMENU menu = ::GetSystemMenu(toHwnd(window), FALSE);
    if (!menu) return false;
    const bool removed = ::RemoveMenu(menu, command, MF_BYCOMMAND) != FALSE;
    ::DrawMenuBar(toHwnd(window));
    return removed;
}

bool WinDesktop::hasSystemMenuCommand(WindowId window, uint32_t command) {
    HMENU menu = ::GetSystemMenu(toHwnd(window), FALSE);
    return menu && ::GetMenuState(menu, command, MF_BYCOMMAND) != static_cast<UINT>(-1);
}

bool WinDesktop::setTopmost(WindowId window, bool on) {
    return ::SetWindowPos(toHwnd(window), on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE) !=
           FALSE;
}

bool WinDesktop::isTopmost(WindowId window) {
    return (::GetWindowLongPtrW(toHwnd(window), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

// The walk can meet a window that moves in the Z order meanwhile and so come round again; a desktop
// never holds this many top-level windows, so the bound only ends such a loop.
std::vector<WindowId> WinDesktop::topLevelWindows() {
    constexpr size_t kMostWindows = 65536;
    std::vector<WindowId> windows;
    for (HWND w = ::GetTopWindow(nullptr); w && windows.size() < kMostWindows; w = ::GetWindow(w, GW_HWNDNEXT)) {
        windows.push_back(toWindowId(w));
    }
    return windows;
}

uint32_t WinDesktop::processId(WindowId window) {
    DWORD process = 0;
    if (::GetWindowThreadProcessId(toHwnd(window), &process) == 0) return 0;
    return process;
}

// The least right there is to ask for: an elevated program grants it to a standard one too.
std::string WinDesktop::programFile(WindowId window) {
    DWORD process = 0;
    if (::GetWindowThreadProcessId(toHwnd(window), &process) == 0) return {};
    UniqueKernelHandle handle(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
    if (!handle) return {};
    std::wstring path(32768, L'\0');
    DWORD length = static_cast<DWORD>(path.size());
    if (!::QueryFullProcessImageNameW(handle.get(), 0, path.data(), &length)) return {};
    path.resize(length);
    return toUtf8(path);
}

uint32_t WinDesktop::windowStyle(WindowId window) {
    return static_cast<uint32_t>(::GetWindowLongPtrW(toHwnd(window), GWL_STYLE));
}
