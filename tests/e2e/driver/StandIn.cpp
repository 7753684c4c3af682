// A stand-in window with an exact title and class, for rules about other programs' windows
// that have no real peer under Wine. It lives until it is closed or its lifetime runs out.
#include <windows.h>

#include "Args.h"
#include "Commands.h"
#include "Text.h"
#include "Windows.h"

namespace {

LRESULT CALLBACK standInProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

int createWindow(const Args& args) {
    auto title = args.value("title");
    auto className = args.value("class");
    if (!title || !className) return complain("create-window needs --title and --class", kUsage);
    bool ok = true;
    const long long lifetime = args.number("lifetime", 0, ok);
    if (!ok || lifetime < 0) return complain("--lifetime needs a number of milliseconds", kUsage);

    const std::wstring wideClass = toWide(*className);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = standInProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = wideClass.c_str();
    if (!::RegisterClassExW(&windowClass)) return complain("RegisterClassExW failed", kNo);

    HWND window = ::CreateWindowExW(0, wideClass.c_str(), toWide(*title).c_str(), WS_OVERLAPPEDWINDOW, 60, 60, 480,
                                    320, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!window) return complain("CreateWindowExW failed", kNo);
    if (!args.has("hidden")) {
        ::ShowWindow(window, SW_SHOWNORMAL);
        ::SetForegroundWindow(window);
    }
    if (lifetime > 0) ::SetTimer(window, 1, static_cast<UINT>(lifetime), nullptr);
    say(hwndText(window), kYes);

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER && message.hwnd == window) ::DestroyWindow(window);
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return kYes;
}

}  // namespace

void addStandInCommands(std::vector<Command>& table) {
    table.push_back({"create-window", {"title", "class", "hidden!", "lifetime"},
                     "--title T --class C [--hidden] [--lifetime ms]   (runs until the window is closed)",
                     createWindow});
}
