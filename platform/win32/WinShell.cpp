#include "platform/win32/WinShell.h"

#include <shellapi.h>

#include <algorithm>

#include "platform/win32/Utf.h"
#include "platform/win32/WindowHandle.h"

namespace {

const wchar_t* orNull(const std::optional<std::wstring>& text) {
    return text ? text->c_str() : nullptr;
}

std::optional<std::wstring> wideOrNone(const std::optional<std::string>& text) {
    if (!text) return std::nullopt;
    return toWide(*text);
}

// Truncated to the record's field, never between the two halves of a surrogate pair.
void copyTip(std::string_view tip, wchar_t (&field)[128]) {
    std::wstring wide = toWide(tip);
    size_t length = std::min(wide.size(), std::size(field) - 1);
    if (length > 0 && length < wide.size() && IS_HIGH_SURROGATE(wide[length - 1])) --length;
    std::copy_n(wide.data(), length, field);
    field[length] = L'\0';
}

NOTIFYICONDATAW trayRecord(WindowId owner, uint32_t id) {
    NOTIFYICONDATAW record = {};
    record.cbSize = sizeof(record);
    record.hWnd = toHwnd(owner);
    record.uID = id;
    return record;
}

// The program's own padlock, closed or (for an exempt account) open, at the tray's size; shared icons are never
// destroyed. A program file without them (a test program) shows the system's.
HICON trayImage(TrayImage image) {
    const bool exempt = image == TrayImage::Administrator;
    auto* own =
        static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(exempt ? 2 : 1), IMAGE_ICON,
                                        ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    return own ? own : ::LoadIconW(nullptr, exempt ? IDI_INFORMATION : IDI_SHIELD);
}

bool addIcon(const TrayIconArgs& args) {
    NOTIFYICONDATAW record = trayRecord(args.owner, args.id);
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = kTrayCallbackMessage;
    record.hIcon = trayImage(args.image);
    copyTip(args.tip, record.szTip);
    return ::Shell_NotifyIconW(NIM_ADD, &record) != FALSE;
}

}  // namespace

intptr_t WinShell::shellExecute(const ShellExecuteArgs& args) {
    const std::wstring verb = toWide(args.verb);
    const std::wstring file = toWide(args.file);
    const auto parameters = wideOrNone(args.parameters);
    const auto directory = wideOrNone(args.directory);
    HINSTANCE result = ::ShellExecuteW(toHwnd(args.owner), verb.c_str(), file.c_str(), orNull(parameters),
                                       orNull(directory), static_cast<int>(args.show));
    return reinterpret_cast<intptr_t>(result);
}

MessageBoxAnswer WinShell::messageBox(const MessageBoxArgs& args) {
    UINT style = static_cast<UINT>(args.icon) | static_cast<UINT>(args.buttons);
    if (args.systemModal) style |= MB_SYSTEMMODAL;
    const int answer = ::MessageBoxW(toHwnd(args.owner), toWide(args.text).c_str(), toWide(args.title).c_str(), style);
    return static_cast<MessageBoxAnswer>(answer);
}

// The icon is remembered even when adding fails: at logon the taskbar may not exist yet, and its
// "TaskbarCreated" broadcast is then the moment the icon can be added.
bool WinShell::trayAdd(const TrayIconArgs& args) {
    forgetTrayIcon(args.owner, args.id);
    m_trayIcons.push_back(args);
    return addIcon(args);
}

bool WinShell::trayDelete(WindowId owner, uint32_t id) {
    forgetTrayIcon(owner, id);
    NOTIFYICONDATAW record = trayRecord(owner, id);
    return ::Shell_NotifyIconW(NIM_DELETE, &record) != FALSE;
}

// Explorer drops every notification icon when it restarts; the owners must add theirs again.
void WinShell::readdTrayIcons(WindowId owner) {
    for (const TrayIconArgs& icon : m_trayIcons) {
        if (icon.owner == owner) addIcon(icon);
    }
}

void WinShell::forgetTrayIcon(WindowId owner, uint32_t id) {
    std::erase_if(m_trayIcons, [&](const TrayIconArgs& icon) { return icon.owner == owner && icon.id == id; });
}
