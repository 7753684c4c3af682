// Commands about the controls inside a top-level window: list, read, click, type, choose a tab.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "Args.h"
#include "Commands.h"
#include "Text.h"
#include "Windows.h"

namespace {

const std::vector<std::string> kParentOptions = {"title", "title-contains", "parent-class", "pid", "visible!",
                                                 "hidden!", "timeout"};
constexpr const char* kParentUsage =
    "(--title T | --title-contains S | --parent-class C | --pid N) [--visible | --hidden]";
constexpr const char* kChildUsage = "(--class C | --caption X | --contains S | --id N) [--index N] [--timeout ms]";
constexpr UINT kSendTimeoutMs = 5000;

std::vector<std::string> withChildOptions(std::vector<std::string> extra) {
    std::vector<std::string> options = kParentOptions;
    for (const char* name : {"class", "caption", "contains", "id", "index"}) options.push_back(name);
    options.insert(options.end(), extra.begin(), extra.end());
    return options;
}

struct Target {
    HWND parent = nullptr;
    HWND control = nullptr;
};

// The control may appear after its window (a message box fills itself in), so both are waited for.
std::optional<Target> locate(const Args& args, bool childRequired, int& code) {
    std::string error;
    auto parentQuery = windowQueryFrom(args, "parent-class", error);
    if (!parentQuery) {
        code = complain(error, kUsage);
        return std::nullopt;
    }
    const bool wantsChild = args.has("class") || args.has("caption") || args.has("contains") || args.has("id");
    std::optional<ChildQuery> childQuery;
    if (wantsChild || childRequired) {
        childQuery = childQueryFrom(args, error);
        if (!childQuery) {
            code = complain(error, kUsage);
            return std::nullopt;
        }
    }
    const ULONGLONG deadline = ::GetTickCount64() + timeoutFrom(args, 3000);
    for (;;) {
        Target target;
        target.parent = waitTopLevel(*parentQuery, 0);
        if (target.parent && !childQuery) return target;
        if (target.parent) target.control = findChild(target.parent, *childQuery);
        if (target.control) return target;
        if (::GetTickCount64() >= deadline) {
            code = complain(target.parent ? "no such control" : "no such window", kMissing);
            return std::nullopt;
        }
        ::Sleep(50);
    }
}

int listChildren(const Args& args) {
    int code = kUsage;
    auto target = locate(args, false, code);
    if (!target) return code;
    for (HWND child : allDescendants(target->parent)) writeOut(describeWindow(child) + "\n");
    return kYes;
}

int childText(const Args& args) {
    int code = kUsage;
    auto target = locate(args, true, code);
    if (!target) return code;
    return say(toUtf8(windowText(target->control)), kYes);
}

// BM_CLICK is answered only after the click's handler returns; a handler that opens a modal box
// returns when the box closes, so --post is the way to click those.
int click(const Args& args) {
    int code = kUsage;
    auto target = locate(args, true, code);
    if (!target) return code;
    if (args.has("post")) {
        if (!::PostMessageW(target->control, BM_CLICK, 0, 0)) return complain("PostMessageW failed", kNo);
        return say("posted", kYes);
    }
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(target->control, BM_CLICK, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &result)) {
        return complain("the click was not answered in time (a modal window? use --post)", kNo);
    }
    return say("clicked", kYes);
}

int setText(const Args& args) {
    int code = kUsage;
    auto target = locate(args, false, code);
    if (!target) return code;
    HWND window = target->control ? target->control : target->parent;
    const std::wstring text = toWide(args.valueOr("text", ""));
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL,
                               kSendTimeoutMs, &result) ||
        !result) {
        return complain("WM_SETTEXT was refused or not answered", kNo);
    }
    return say("set", kYes);
}

// Posted one UTF-16 unit at a time, the way a keyboard's characters arrive.
int typeText(const Args& args) {
    int code = kUsage;
    auto target = locate(args, false, code);
    if (!target) return code;
    HWND window = target->control ? target->control : target->parent;
    for (wchar_t unit : toWide(args.valueOr("text", ""))) {
        if (!::PostMessageW(window, WM_CHAR, unit, 1)) return complain("PostMessageW failed", kNo);
    }
    if (args.has("enter") && !::PostMessageW(window, WM_CHAR, L'\r', 1)) return complain("PostMessageW failed", kNo);
    return say("typed", kYes);
}

// Moving the focus of a tab strip without button style selects the tab and tells the window, as the user's
// click on the tab does; TCM_SETCURSEL would change the strip alone.
int selectTab(const Args& args) {
    int code = kUsage;
    auto target = locate(args, true, code);
    if (!target) return code;
    bool ok = true;
    const long long page = args.number("page", -1, ok);
    if (!ok || page < 0 || page > 63) return complain("--page N (a tab's index from 0) is needed", kUsage);
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(target->control, TCM_SETCURFOCUS, static_cast<WPARAM>(page), 0, SMTO_NORMAL,
                               kSendTimeoutMs, &result)) {
        return complain("the tab strip did not answer in time", kNo);
    }
    if (::SendMessageW(target->control, TCM_GETCURSEL, 0, 0) != static_cast<LRESULT>(page)) return complain("the tab was not selected", kNo);
    return say("selected", kYes);
}

// A check box or option button: "checked" (yes) or "unchecked" (no).
int isChecked(const Args& args) {
    int code = kUsage;
    auto target = locate(args, true, code);
    if (!target) return code;
    const bool on = ::SendMessageW(target->control, BM_GETCHECK, 0, 0) == BST_CHECKED;
    return say(on ? "checked" : "unchecked", on ? kYes : kNo);
}

// Any window or control: "enabled" (yes) or "disabled" (no), as the user finds it when clicking.
int isEnabled(const Args& args) {
    int code = kUsage;
    auto target = locate(args, false, code);
    if (!target) return code;
    const bool on = ::IsWindowEnabled(target->control ? target->control : target->parent) != FALSE;
    return say(on ? "enabled" : "disabled", on ? kYes : kNo);
}

// The entries of a list box, one a line; the system copies LB_GETTEXT's text across processes.
int listItems(const Args& args) {
    int code = kUsage;
    auto target = locate(args, true, code);
    if (!target) return code;
    DWORD_PTR count = 0;
    if (!::SendMessageTimeoutW(target->control, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &count) ||
        static_cast<LRESULT>(count) == LB_ERR) {
        return complain("the list did not answer", kCannot);
    }
    for (WPARAM i = 0; i < count; ++i) {
        DWORD_PTR length = 0;
        if (!::SendMessageTimeoutW(target->control, LB_GETTEXTLEN, i, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &length) ||
            static_cast<LRESULT>(length) == LB_ERR) {
            return complain("the list changed while it was read", kCannot);
        }
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        DWORD_PTR copied = 0;
        if (!::SendMessageTimeoutW(target->control, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()),
                                   SMTO_ABORTIFHUNG, kSendTimeoutMs, &copied) ||
            static_cast<LRESULT>(copied) == LB_ERR) {
            return complain("the list changed while it was read", kCannot);
        }
        text.resize(copied < text.size() ? static_cast<size_t>(copied) : text.size() - 1);
        writeOut(toUtf8(text) + "\n");
    }
    return kYes;
}

}  // namespace

void addControlCommands(std::vector<Command>& table) {
    static const std::string clickUsage = std::string(kParentUsage) + " " + kChildUsage + " [--post]";
    static const std::string textUsage = std::string(kParentUsage) + " [" + kChildUsage + "] --text S";
    static const std::string typeUsage = textUsage + " [--enter]";
    static const std::string childUsage = std::string(kParentUsage) + " " + kChildUsage;
    table.push_back({"list-children", kParentOptions, kParentUsage, listChildren});
    table.push_back({"child-text", withChildOptions({}), childUsage.c_str(), childText});
    table.push_back({"click", withChildOptions({"post!"}), clickUsage.c_str(), click});
    table.push_back({"set-text", withChildOptions({"text"}), textUsage.c_str(), setText});
    table.push_back({"type", withChildOptions({"text", "enter!"}), typeUsage.c_str(), typeText});
    static const std::string tabUsage = std::string(kParentUsage) + " " + kChildUsage + " --page N";
    table.push_back({"select-tab", withChildOptions({"page"}), tabUsage.c_str(), selectTab});
    table.push_back({"list-items", withChildOptions({}), childUsage.c_str(), listItems});
    table.push_back({"is-checked", withChildOptions({}), childUsage.c_str(), isChecked});
    static const std::string enabledUsage = std::string(kParentUsage) + " [" + kChildUsage + "]";
    table.push_back({"is-enabled", withChildOptions({}), enabledUsage.c_str(), isEnabled});
}
