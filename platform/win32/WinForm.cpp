#include "platform/win32/WinForm.h"

#include <exception>
#include <stdexcept>
#include <string>

#include "platform/win32/Utf.h"
#include "platform/win32/WinControlsTab.h"
#include "platform/win32/WinControls.h"
#include "platform/win32/WinShell.h"
#include "platform/win32/WinTimer.h"
#include "platform/win32/WindowHandle.h"

namespace {

constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_CONTROLPARENT;

int showCommandFor(ui::WindowState state) {
    switch (state) {
        case ui::WindowState::Minimized:
            return SW_MINIMIZE;
        case ui::WindowState::Maximized:
            return SW_MAXIMIZE;
        case ui::WindowState::Normal:
            break;
    }
    return SW_SHOWNORMAL;
}

// The user's message font (size, weight, quality) with another typeface; null when the name cannot be a face name.
HFONT createFontNamed(std::string_view faceName) {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) return nullptr;
    const std::wstring face = toWide(faceName);
    if (face.empty() || face.size() >= LF_FACESIZE) return nullptr;
    LOGFONTW font = metrics.lfMessageFont;
    face.copy(font.lfFaceName, face.size());
    font.lfFaceName[face.size()] = L'\0';
    return ::CreateFontIndirectW(&font);
}

// The dots per inch the window is shown at: per monitor on Windows 10, for the whole screen before it.
UINT dpiOf(HWND hwnd) {
    using DpiForWindow = UINT(WINAPI*)(HWND);
    static const auto dpiForWindow = reinterpret_cast<DpiForWindow>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (hwnd && dpiForWindow) {
        if (const UINT dpi = dpiForWindow(hwnd)) return dpi;
    }
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kDesignDpi;
}

void logHandlerFailure(const char* what) {
    std::wstring line = L"Obelon: exception in a window procedure: " + toWide(what) + L"\n";
    ::OutputDebugStringW(line.c_str());
}

}  // namespace

ATOM WinForm::registerClass(HINSTANCE instance) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &WinForm::windowProc;
    windowClass.hInstance = instance;
    // The program file's own icon on every window; a program without one (a test program) shows the system's.
    windowClass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
    if (!windowClass.hIcon) windowClass.hIcon = ::LoadIconW(nullptr, IDI_SHIELD);
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kFormClassName;
    return ::RegisterClassExW(&windowClass);
}

WinForm::WinForm(const FormContext& context, const ui::FormSpec& spec) : m_context(context), m_name(spec.name) {
    // Every child gets the form's font as it is created; without one of its own, the toolkit's.
    if (!spec.fontName.empty()) m_font.reset(createFontNamed(spec.fontName));
    if (m_font) m_context.font = m_font.get();
    // The forms are laid out at 96 dots per inch; the program is DPI-aware, so it scales them itself.
    m_dpi = dpiOf(nullptr);
    RECT frame = {0, 0, scaled(spec.width), scaled(spec.height)};
    ::AdjustWindowRectEx(&frame, kFormStyle, FALSE, kFormExStyle);
    // Created hidden: the logic decides when the form is first shown.
    m_hwnd.reset(::CreateWindowExW(kFormExStyle, kFormClassName, toWide(spec.caption).c_str(), kFormStyle,
                                   CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                                   nullptr, nullptr, context.instance, this));
    if (!m_hwnd) {
        throw std::runtime_error("CreateWindowExW(ObelonForm) failed: " + std::to_string(::GetLastError()));
    }
}

// Timers go first, while the window they run on still exists; the window procedure is cut off
// before destruction so no handler runs against a half-destroyed form.
WinForm::~WinForm() {
    m_timers.clear();
    ::SetWindowLongPtrW(m_hwnd.get(), GWLP_USERDATA, 0);
    m_hwnd.reset();
}

WindowId WinForm::id() const {
    return toWindowId(m_hwnd.get());
}

void WinForm::setCaption(std::string_view caption) {
    ::SetWindowTextW(m_hwnd.get(), toWide(caption).c_str());
}

std::string WinForm::caption() const {
    const int length = ::GetWindowTextLengthW(m_hwnd.get());
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(m_hwnd.get(), text.data(), length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return toUtf8(text);
}

// Windows may refuse the foreground to a program without the user's last input; the taskbar button then
// flashes until the user comes to it.
void WinForm::show() {
    const int command = m_pendingState ? showCommandFor(*m_pendingState) : SW_SHOW;
    m_pendingState.reset();
    ::ShowWindow(m_hwnd.get(), command);
    if (::SetForegroundWindow(m_hwnd.get())) return;
    FLASHWINFO flash = {};
    flash.cbSize = sizeof(flash);
    flash.hwnd = m_hwnd.get();
    flash.dwFlags = FLASHW_ALL | FLASHW_TIMERNOFG;
    ::FlashWindowEx(&flash);
}

// A popup over the monitor the form is on, topmost: no title bar to drag and no button to minimize it with.
// Only the frame bits change, so a disabled form stays disabled; the form's activation is left as it was. The
// controls keep their layout, moved to the middle of the screen.
void WinForm::setCoversScreen(bool on) {
    if (on == m_coversScreen) return;
    HWND hwnd = m_hwnd.get();
    const LONG_PTR style = ::GetWindowLongPtrW(hwnd, GWL_STYLE);
    constexpr UINT kPlace = SWP_FRAMECHANGED | SWP_NOACTIVATE;
    RECT client = {};
    ::GetClientRect(hwnd, &client);
    if (on) {
        m_ordinaryStyle = style;
        ::GetWindowRect(hwnd, &m_ordinaryFrame);
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof(monitor);
        ::GetMonitorInfoW(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
        const RECT& r = monitor.rcMonitor;
        m_coverOffset = {((r.right - r.left) - client.right) / 2, ((r.bottom - r.top) - client.bottom) / 2};
        constexpr LONG_PTR kFrame = WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
        ::SetWindowLongPtrW(hwnd, GWL_STYLE, (style & ~kFrame) | WS_POPUP);
        ::SetWindowPos(hwnd, HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top, kPlace);
        moveChildren(m_coverOffset.x, m_coverOffset.y);
    } else {
        moveChildren(-m_coverOffset.x, -m_coverOffset.y);
        constexpr LONG_PTR kState = WS_VISIBLE | WS_DISABLED;
        ::SetWindowLongPtrW(hwnd, GWL_STYLE, (m_ordinaryStyle & ~kState) | (style & kState));
        const RECT& r = m_ordinaryFrame;
        ::SetWindowPos(hwnd, HWND_NOTOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top, kPlace);
    }
    m_coversScreen = on;
}

void WinForm::moveChildren(int dx, int dy) {
    HWND hwnd = m_hwnd.get();
    for (HWND child = ::GetWindow(hwnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT place = {};
        ::GetWindowRect(child, &place);
        ::MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&place), 2);
        ::SetWindowPos(child, nullptr, place.left + dx, place.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void WinForm::hide() {
    ::ShowWindow(m_hwnd.get(), SW_HIDE);
}

bool WinForm::isVisible() const {
    return ::IsWindowVisible(m_hwnd.get()) != FALSE;
}

void WinForm::setEnabled(bool on) {
    ::EnableWindow(m_hwnd.get(), on ? TRUE : FALSE);
}

bool WinForm::isEnabled() const {
    return ::IsWindowEnabled(m_hwnd.get()) != FALSE;
}

// Showing a state would also show the window, so a hidden form keeps the state until show().
void WinForm::setWindowState(ui::WindowState state) {
    if (isVisible()) {
        ::ShowWindow(m_hwnd.get(), showCommandFor(state));
    } else {
        m_pendingState = state;
    }
}

ui::WindowState WinForm::windowState() const {
    if (m_pendingState && !isVisible()) return *m_pendingState;
    if (::IsIconic(m_hwnd.get())) return ui::WindowState::Minimized;
    if (::IsZoomed(m_hwnd.get())) return ui::WindowState::Maximized;
    return ui::WindowState::Normal;
}

// No exception may cross into the system's code that called us; it is logged and the message counts as handled.
LRESULT CALLBACK WinForm::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* form = reinterpret_cast<WinForm*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!form) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    try {
        return form->handleMessage(hwnd, message, wParam, lParam);
    } catch (const std::exception& error) {
        logHandlerFailure(error.what());
    } catch (...) {
        logHandlerFailure("unknown exception");
    }
    return 0;
}

LRESULT WinForm::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ACTIVATE:
            return activated(hwnd, wParam);
        case WM_CLOSE:
            if (m_onCloseRequest) {
                const ui::Handler handler = m_onCloseRequest;
                handler();
            } else {
                hide();
            }
            return 0;
        case WM_COMMAND:
            command(wParam, lParam);
            return 0;
        // A click on the inactive form activates it; while the gate is shut the click itself is dropped.
        case WM_MOUSEACTIVATE:
            if (!takesInput()) return MA_ACTIVATEANDEAT;
            break;
        case WM_NOTIFY: {
            const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
            auto control = m_byWindow.find(header.hwndFrom);
            LRESULT result = 0;
            if (control != m_byWindow.end() && control->second->notify(header, result)) return result;
            break;
        }
        case WM_TIMER:
            if (timer(wParam)) return 0;
            break;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT: {
            const LRESULT brush =
                controlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), message == WM_CTLCOLOREDIT);
            if (brush) return brush;
            break;
        }
        case WM_DPICHANGED:
            dpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_SIZE:
            if (m_onResize) {
                const ui::Handler handler = m_onResize;
                handler();
            }
            break;
        case WM_LBUTTONDOWN:
            mouseDown(ui::MouseButton::Left);
            return 0;
        case WM_RBUTTONDOWN:
            mouseDown(ui::MouseButton::Right);
            return 0;
        case WM_MBUTTONDOWN:
            mouseDown(ui::MouseButton::Middle);
            return 0;
        // Asked by IsDialogMessageW when Enter is pressed: the default button is the one it clicks.
        case DM_GETDEFID:
            if (m_defaultButton) return MAKELRESULT(::GetDlgCtrlID(m_defaultButton->hwnd()), DC_HASDEFID);
            return 0;
        case kTrayCallbackMessage:
            if (m_onTrayMouse) {
                const auto handler = m_onTrayMouse;
                handler(LOWORD(lParam));
            }
            return 0;
        default:
            // Explorer restarted and dropped every notification icon: this form's icons go back.
            if (m_context.taskbarCreated != 0 && message == m_context.taskbarCreated) {
                if (m_context.shell) m_context.shell->readdTrayIcons(toWindowId(hwnd));
                return 0;
            }
            break;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

// Keyboard focus goes back to the control that had it, as in a dialog, so Tab and Enter work at once.
LRESULT WinForm::activated(HWND hwnd, WPARAM wParam) {
    const WORD state = LOWORD(wParam);
    if (state == WA_INACTIVE) {
        HWND focus = ::GetFocus();
        if (focus && ::IsChild(hwnd, focus)) m_savedFocus = focus;
        return 0;
    }
    if (HIWORD(wParam) == 0) {
        HWND focus =
            m_savedFocus && ::IsChild(hwnd, m_savedFocus) ? m_savedFocus : ::GetNextDlgTabItem(hwnd, nullptr, FALSE);
        ::SetFocus(focus ? focus : hwnd);
    }
    if (m_onActivate) {
        const ui::Handler handler = m_onActivate;
        handler();
    }
    return 0;
}

// Controls report through their own window handle; IDOK without one comes from Enter with no focused button.
int WinForm::scaled(int designPixels) const {
    return ::MulDiv(designPixels, static_cast<int>(m_dpi), static_cast<int>(kDesignDpi));
}

// Moved to a monitor of another density: the window takes the size Windows suggests and every control keeps
// its place and size in proportion.
void WinForm::dpiChanged(UINT dpi, const RECT& suggested) {
    if (dpi == 0 || dpi == m_dpi) return;
    const int from = static_cast<int>(m_dpi);
    const int to = static_cast<int>(dpi);
    m_dpi = dpi;
    for (const auto& [child, control] : m_byWindow) {
        (void)control;
        RECT place;
        if (!::GetWindowRect(child, &place)) continue;
        ::MapWindowPoints(nullptr, m_hwnd.get(), reinterpret_cast<POINT*>(&place), 2);
        ::SetWindowPos(child, nullptr, ::MulDiv(place.left, to, from), ::MulDiv(place.top, to, from),
                       ::MulDiv(place.right - place.left, to, from), ::MulDiv(place.bottom - place.top, to, from),
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ::SetWindowPos(m_hwnd.get(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void WinForm::command(WPARAM wParam, LPARAM lParam) {
    auto* sender = reinterpret_cast<HWND>(lParam);
    if (sender) {
        auto control = m_byWindow.find(sender);
        if (control != m_byWindow.end()) control->second->command(HIWORD(wParam));
        return;
    }
    if (LOWORD(wParam) == IDOK && m_defaultButton && ::IsWindowEnabled(m_defaultButton->hwnd())) {
        m_defaultButton->click();
    }
    // Esc, through the dialog manager.
    if (LOWORD(wParam) == IDCANCEL && m_cancelButton && ::IsWindowEnabled(m_cancelButton->hwnd())) {
        m_cancelButton->click();
    }
}

// A control with a colour of its own: its text in that colour on the background it would have had.
// Labels, check boxes and frames on a styled tab page take the page's colour, so they do not sit in grey boxes;
// a control given its own text colour keeps it.
LRESULT WinForm::controlColor(HDC dc, HWND control, bool edit) {
    auto found = m_byWindow.find(control);
    if (found == m_byWindow.end()) return 0;
    COLORREF color = 0;
    const bool ownColor = found->second->foreColor(color);
    const bool onStyledPage = !edit && found->second->page() >= 0 && m_tabStrip && m_tabStrip->isThemed();
    if (!ownColor && !onStyledPage) return 0;
    const int background = edit || onStyledPage ? COLOR_WINDOW : COLOR_BTNFACE;
    if (ownColor) ::SetTextColor(dc, color);
    ::SetBkColor(dc, ::GetSysColor(background));
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(background));
}

void WinForm::mouseDown(ui::MouseButton button) {
    if (!m_onMouseDown) return;
    const auto handler = m_onMouseDown;
    handler(button);
}

bool WinForm::timer(UINT_PTR id) {
    for (const auto& timer : m_timers) {
        if (timer->id() == id) {
            timer->tick();
            return true;
        }
    }
    return false;
}
