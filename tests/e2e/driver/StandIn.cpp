// A stand-in window with an exact title and class, for rules about other programs' windows
// that have no real peer under Wine. It lives until it is closed or its lifetime runs out.
#include <windows.h>

#include <string>

#include "Args.h"
#include "Commands.h"
#include "Text.h"
#include "Windows.h"

namespace {

// How the stand-in behaves beyond being there; held in the window's user data.
struct StandInBehaviour {
    // Refuses WM_CLOSE, as a program that asks about unsaved work does.
    bool keepsOpen = false;
    // Prints "shown" or "hidden" and the tick count whenever the window's visibility changes: the stand-in's own
    // record, which a script reads where the state may last too short to be seen from outside.
    bool reportsShows = false;
};

LRESULT CALLBACK standInProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto* behaviour = reinterpret_cast<const StandInBehaviour*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    if (message == WM_CLOSE && behaviour && behaviour->keepsOpen) {
        writeOut("close refused\n");
        return 0;
    }
    if (message == WM_SHOWWINDOW && behaviour && behaviour->reportsShows) {
        writeOut(std::string(wParam ? "shown " : "hidden ") + std::to_string(::GetTickCount64()) + "\n");
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
    StandInBehaviour behaviour{.keepsOpen = args.has("keep-open"), .reportsShows = args.has("report-shows")};
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&behaviour));
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
    table.push_back({"create-window", {"title", "class", "hidden!", "lifetime", "keep-open!", "report-shows!"},
                     "--title T --class C [--hidden] [--lifetime ms] [--keep-open] [--report-shows]\n"
                     "      (runs until the window is closed; --keep-open refuses WM_CLOSE, --report-shows prints\n"
                     "      \"shown TICKS\" or \"hidden TICKS\" at each change of visibility)",
                     createWindow});
}
