#include "engine/WindowClasses.h"

#include <array>

namespace {

char upperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr std::array<std::string_view, 5> kShellClasses = {"Shell_TrayWnd", "Shell_SecondaryTrayWnd", "Progman",
                                                           "WorkerW", "#32769"};

}  // namespace

bool sameWindowClass(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (upperAscii(a[i]) != upperAscii(b[i])) return false;
    }
    return true;
}

std::vector<WindowId> windowsOfClass(IDesktop& desktop, std::string_view className) {
    std::vector<WindowId> found;
    if (!desktop.findWindow(className, std::nullopt)) return found;
    for (const WindowId window : desktop.topLevelWindows()) {
        if (sameWindowClass(desktop.className(window), className)) found.push_back(window);
    }
    return found;
}

bool isShellWindow(std::string_view className) {
    for (const std::string_view shell : kShellClasses) {
        if (sameWindowClass(className, shell)) return true;
    }
    return false;
}
