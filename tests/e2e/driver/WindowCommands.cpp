// Commands about top-level windows: waiting for them, reading them, bringing them forward.
#include <windows.h>

#include "Args.h"
#include "Commands.h"
#include "Text.h"
#include "Windows.h"

namespace {

const std::vector<std::string> kTopOptions = {"title",    "title-contains", "class",  "pid",
                                              "visible!", "hidden!",        "minimized!", "maximized!",
                                              "timeout"};
constexpr const char* kTopUsage =
    "(--title T | --title-contains S | --class C | --pid N) [--visible | --hidden] [--minimized] [--maximized] [--timeout ms]";

// Parses the window options of a command; on a usage error `code` says what to return.
std::optional<WindowQuery> queryOf(const Args& args, int& code) {
    std::string error;
    auto query = windowQueryFrom(args, "class", error);
    if (!query) code = complain(error, kUsage);
    return query;
}

HWND located(const Args& args, unsigned long fallbackMs, int& code) {
    auto query = queryOf(args, code);
    if (!query) return nullptr;
    HWND window = waitTopLevel(*query, timeoutFrom(args, fallbackMs));
    if (!window) code = complain("no such window", kMissing);
    return window;
}

// --announce prints "waiting" once the search runs, so a script can start a short-lived program only then.
int waitWindow(const Args& args) {
    int code = kUsage;
    auto query = queryOf(args, code);
    if (!query) return code;
    if (args.has("announce")) writeOut("waiting\n");
    HWND window = waitTopLevel(*query, timeoutFrom(args, 5000));
    if (!window) return complain("timed out waiting for the window", kNo);
    return say(hwndText(window), kYes);
}

int waitGone(const Args& args) {
    int code = kUsage;
    auto query = queryOf(args, code);
    if (!query) return code;
    const ULONGLONG deadline = ::GetTickCount64() + timeoutFrom(args, 5000);
    while (!findTopLevel(*query).empty()) {
        if (::GetTickCount64() >= deadline) return complain("the window is still there", kNo);
        ::Sleep(50);
    }
    return say("gone", kYes);
}

int windowExists(const Args& args) {
    int code = kUsage;
    auto query = queryOf(args, code);
    if (!query) return code;
    const bool found = waitTopLevel(*query, timeoutFrom(args, 0)) != nullptr;
    return say(found ? "yes" : "no", found ? kYes : kNo);
}

int isVisible(const Args& args) {
    int code = kUsage;
    HWND window = located(args, 3000, code);
    if (!window) return code;
    const bool visible = ::IsWindowVisible(window) != FALSE;
    return say(visible ? "yes" : "no", visible ? kYes : kNo);
}

// "X Y WIDTH HEIGHT" of the window on the screen, frame included: what a screenshot crops to.
int windowRect(const Args& args) {
    int code = kUsage;
    HWND window = located(args, 3000, code);
    if (!window) return code;
    RECT rect{};
    if (!::GetWindowRect(window, &rect)) return complain("GetWindowRect failed", kCannot);
    return say(std::to_string(rect.left) + " " + std::to_string(rect.top) + " " +
                   std::to_string(rect.right - rect.left) + " " + std::to_string(rect.bottom - rect.top),
               kYes);
}

int getTitle(const Args& args) {
    int code = kUsage;
    HWND window = located(args, 3000, code);
    if (!window) return code;
    return say(toUtf8(windowTitle(window)), kYes);
}

int pidOf(const Args& args) {
    int code = kUsage;
    HWND window = located(args, 3000, code);
    if (!window) return code;
    return say(std::to_string(windowPid(window)), kYes);
}

int listWindows(const Args& args) {
    WindowQuery query;
    if (auto v = args.value("title-contains")) query.titleContains = toWide(*v);
    if (auto v = args.value("class")) query.className = toWide(*v);
    query.visibleOnly = args.has("visible");
    for (HWND window : findTopLevel(query)) writeOut(describeWindow(window) + "\n");
    return kYes;
}

int closeWindow(const Args& args) {
    int code = kUsage;
    HWND window = located(args, 3000, code);
    if (!window) return code;
    if (!::PostMessageW(window, WM_CLOSE, 0, 0)) return complain("PostMessageW failed", kNo);
    return say("posted", kYes);
}

int showWindow(const Args& args) {
    const std::string state = args.valueOr("state", "");
    int command = -1;
    if (state == "hide") command = SW_HIDE;
    if (state == "show") command = SW_SHOW;
    if (state == "minimize") command = SW_MINIMIZE;
    if (state == "restore") command = SW_RESTORE;
    if (command < 0) return complain("--state must be hide, show, minimize or restore", kUsage);
    int code = kUsage;
    HWND window = located(args, 3000, code);
    if (!window) return code;
    // Async, as another program would: the owner's thread does the work when it next runs.
    ::ShowWindowAsync(window, command);
    return say("requested", kYes);
}

// --ask-only only asks: the program under test may hide a window as soon as it is in front, so a script
// then waits for that sign instead of the foreground.
int foreground(const Args& args) {
    int code = kUsage;
    HWND window = located(args, 3000, code);
    if (!window) return code;
    ::SetForegroundWindow(window);
    if (args.has("ask-only")) return say(hwndText(window), kYes);
    const ULONGLONG deadline = ::GetTickCount64() + timeoutFrom(args, 2000);
    while (::GetForegroundWindow() != window) {
        if (::GetTickCount64() >= deadline) return complain("the window did not come to the foreground", kNo);
        ::Sleep(50);
    }
    return say(hwndText(window), kYes);
}

int getForeground(const Args&) {
    HWND window = ::GetForegroundWindow();
    if (!window) return say("none", kNo);
    return say(describeWindow(window), kYes);
}

int waitForeground(const Args& args) {
    int code = kUsage;
    auto query = queryOf(args, code);
    if (!query) return code;
    const ULONGLONG deadline = ::GetTickCount64() + timeoutFrom(args, 5000);
    for (;;) {
        HWND window = ::GetForegroundWindow();
        for (HWND match : findTopLevel(*query)) {
            if (match == window) return say(hwndText(window), kYes);
        }
        if (::GetTickCount64() >= deadline) return complain("another window is in the foreground", kNo);
        ::Sleep(50);
    }
}

}  // namespace

void addWindowCommands(std::vector<Command>& table) {
    static const std::string waitUsage = std::string(kTopUsage) + " [--announce]";
    std::vector<std::string> waitOptions = kTopOptions;
    waitOptions.push_back("announce!");
    table.push_back({"wait-window", waitOptions, waitUsage.c_str(), waitWindow});
    table.push_back({"wait-gone", kTopOptions, kTopUsage, waitGone});
    table.push_back({"window-exists", kTopOptions, kTopUsage, windowExists});
    table.push_back({"is-visible", kTopOptions, kTopUsage, isVisible});
    table.push_back({"get-title", kTopOptions, kTopUsage, getTitle});
    table.push_back({"window-rect", kTopOptions, kTopUsage, windowRect});
    table.push_back({"pid-of", kTopOptions, kTopUsage, pidOf});
    table.push_back({"close", kTopOptions, kTopUsage, closeWindow});
    static const std::string foregroundUsage = std::string(kTopUsage) + " [--ask-only]";
    std::vector<std::string> foregroundOptions = kTopOptions;
    foregroundOptions.push_back("ask-only!");
    table.push_back({"foreground", foregroundOptions, foregroundUsage.c_str(), foreground});
    static const std::string showUsage = std::string(kTopUsage) + " --state hide|show|minimize|restore";
    std::vector<std::string> showOptions = kTopOptions;
    showOptions.push_back("state");
    table.push_back({"show-window", showOptions, showUsage.c_str(), showWindow});
    table.push_back({"wait-foreground", kTopOptions, kTopUsage, waitForeground});
    table.push_back({"get-foreground", {}, "", getForeground});
    table.push_back({"list-windows", {"title-contains", "class", "visible!"}, "[--title-contains S] [--class C] [--visible]",
                     listWindows});
}
