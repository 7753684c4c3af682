#include "Windows.h"

#include <cstdio>

#include "Args.h"
#include "Text.h"

namespace {

constexpr UINT kReplyTimeoutMs = 2000;

struct Search {
    const WindowQuery* query;
    std::vector<HWND> found;
};

bool matches(HWND window, const WindowQuery& query) {
    if (query.visibleOnly && !::IsWindowVisible(window)) return false;
    if (query.hiddenOnly && ::IsWindowVisible(window)) return false;
    if (query.minimizedOnly && !::IsIconic(window)) return false;
    if (query.maximizedOnly && !::IsZoomed(window)) return false;
    if (query.pid && windowPid(window) != *query.pid) return false;
    if (query.className && ::lstrcmpiW(windowClass(window).c_str(), query.className->c_str()) != 0) return false;
    if (query.title || query.titleContains) {
        const std::wstring title = windowTitle(window);
        if (query.title && title != *query.title) return false;
        if (query.titleContains && title.find(*query.titleContains) == std::wstring::npos) return false;
    }
    return true;
}

BOOL CALLBACK collectTopLevel(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (matches(window, *search->query)) search->found.push_back(window);
    return TRUE;
}

BOOL CALLBACK collectChild(HWND window, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

bool childMatches(HWND child, const ChildQuery& query) {
    if (query.className && ::lstrcmpiW(windowClass(child).c_str(), query.className->c_str()) != 0) return false;
    if (query.id && ::GetDlgCtrlID(child) != *query.id) return false;
    if (query.caption || query.contains) {
        const std::wstring text = windowText(child);
        if (query.caption && text != *query.caption) return false;
        if (query.contains && text.find(*query.contains) == std::wstring::npos) return false;
    }
    return true;
}

}  // namespace

std::optional<WindowQuery> windowQueryFrom(const Args& args, const char* classOption, std::string& error) {
    WindowQuery query;
    if (auto v = args.value("title")) query.title = toWide(*v);
    if (auto v = args.value("title-contains")) query.titleContains = toWide(*v);
    if (auto v = args.value(classOption)) query.className = toWide(*v);
    bool ok = true;
    if (args.has("pid")) query.pid = static_cast<DWORD>(args.number("pid", 0, ok));
    query.visibleOnly = args.has("visible");
    query.hiddenOnly = args.has("hidden");
    query.minimizedOnly = args.has("minimized");
    query.maximizedOnly = args.has("maximized");
    if (!ok) {
        error = "--pid needs a number";
        return std::nullopt;
    }
    if (!query.title && !query.titleContains && !query.className && !query.pid) {
        error = std::string("name the window with --title, --title-contains, --") + classOption + " or --pid";
        return std::nullopt;
    }
    return query;
}

std::optional<ChildQuery> childQueryFrom(const Args& args, std::string& error) {
    ChildQuery query;
    if (auto v = args.value("class")) query.className = toWide(*v);
    if (auto v = args.value("caption")) query.caption = toWide(*v);
    if (auto v = args.value("contains")) query.contains = toWide(*v);
    bool ok = true;
    if (args.has("id")) query.id = static_cast<int>(args.number("id", 0, ok));
    query.index = static_cast<int>(args.number("index", 0, ok));
    if (!ok || query.index < 0) {
        error = "--id and --index need numbers";
        return std::nullopt;
    }
    if (!query.className && !query.caption && !query.contains && !query.id) {
        error = "name the control with --class, --caption, --contains or --id";
        return std::nullopt;
    }
    return query;
}

std::vector<HWND> findTopLevel(const WindowQuery& query) {
    Search search{&query, {}};
    ::EnumWindows(collectTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND waitTopLevel(const WindowQuery& query, DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        auto found = findTopLevel(query);
        if (!found.empty()) return found.front();
        if (::GetTickCount64() >= deadline) return nullptr;
        ::Sleep(50);
    }
}

std::vector<HWND> allDescendants(HWND parent) {
    std::vector<HWND> children;
    ::EnumChildWindows(parent, collectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

HWND findChild(HWND parent, const ChildQuery& query) {
    int seen = 0;
    for (HWND child : allDescendants(parent)) {
        if (!childMatches(child, query)) continue;
        if (seen++ == query.index) return child;
    }
    return nullptr;
}

std::wstring windowText(HWND window) {
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kReplyTimeoutMs, &length)) {
        wchar_t title[1024] = L"";
        ::GetWindowTextW(window, title, 1024);
        return title;
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                          kReplyTimeoutMs, &copied);
    text.resize(copied < text.size() ? static_cast<size_t>(copied) : text.size() - 1);
    return text;
}

std::wstring windowTitle(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring title(static_cast<size_t>(length) + 1, L'\0');
    title.resize(static_cast<size_t>(::GetWindowTextW(window, title.data(), length + 1)));
    return title;
}

std::wstring windowClass(HWND window) {
    wchar_t name[256] = L"";
    ::GetClassNameW(window, name, 256);
    return name;
}

DWORD windowPid(HWND window) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    return pid;
}

std::string hwndText(HWND window) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
    return text;
}

std::string describeWindow(HWND window) {
    char fields[96];
    std::snprintf(fields, sizeof fields, " visible=%d id=%d pid=%lu", ::IsWindowVisible(window) ? 1 : 0,
                  ::GetDlgCtrlID(window), windowPid(window));
    return hwndText(window) + " class=\"" + toUtf8(windowClass(window)) + "\"" + fields + " text=\"" +
           toUtf8(windowText(window)) + "\"";
}
