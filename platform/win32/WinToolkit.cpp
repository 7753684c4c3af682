#include "platform/win32/WinToolkit.h"

#include <commctrl.h>

#include <stdexcept>
#include <string>

#include "platform/win32/WinForm.h"

namespace {

// The font dialogs use, from the user's settings, instead of the old system font windows get by default.
HFONT createMessageFont() {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) return nullptr;
    return ::CreateFontIndirectW(&metrics.lfMessageFont);
}

}  // namespace

WinToolkit::WinToolkit(WinShell* shell) : m_font(createMessageFont()) {
    INITCOMMONCONTROLSEX classes = {};
    classes.dwSize = sizeof(classes);
    classes.dwICC = ICC_TAB_CLASSES | ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES;
    ::InitCommonControlsEx(&classes);

    m_context.instance = ::GetModuleHandleW(nullptr);
    m_context.font = m_font ? m_font.get() : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    m_context.taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
    m_context.shell = shell;

    m_formClass = WinForm::registerClass(m_context.instance);
    if (m_formClass == 0 && ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS) {
        WNDCLASSEXW existing = {};
        existing.cbSize = sizeof(existing);
        m_formClass = static_cast<ATOM>(::GetClassInfoExW(m_context.instance, kFormClassName, &existing));
    }
    if (m_formClass == 0)
        throw std::runtime_error("RegisterClassExW(ObelonForm) failed: " + std::to_string(::GetLastError()));
}

WinToolkit::~WinToolkit() {
    ::UnregisterClassW(kFormClassName, m_context.instance);
}

std::unique_ptr<ui::Form> WinToolkit::createForm(const ui::FormSpec& spec) {
    return std::make_unique<WinForm>(m_context, spec);
}

// Tab and Enter work as in a dialog on whichever of our forms is active.
void WinToolkit::dispatch(MSG& message) {
    if (heldBack(message)) return;
    HWND active = ::GetActiveWindow();
    if (active && ::GetClassLongPtrW(active, GCW_ATOM) == m_formClass && ::IsDialogMessageW(active, &message)) return;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
}

// A key or mouse press for a control of a form whose input gate is shut goes nowhere. Releases still pass, so a
// press that began before the gate shut does not leave a button held; the form's own window (its title bar,
// Alt+F4) is not held back.
bool WinToolkit::heldBack(const MSG& message) const {
    const UINT kind = message.message;
    const bool press = kind == WM_KEYDOWN || kind == WM_CHAR || kind == WM_LBUTTONDOWN || kind == WM_LBUTTONDBLCLK ||
                       kind == WM_RBUTTONDOWN || kind == WM_RBUTTONDBLCLK || kind == WM_MBUTTONDOWN ||
                       kind == WM_MBUTTONDBLCLK;
    if (!press || !message.hwnd) return false;
    HWND root = ::GetAncestor(message.hwnd, GA_ROOT);
    if (!root || root == message.hwnd || ::GetClassLongPtrW(root, GCW_ATOM) != m_formClass) return false;
    const auto* form = reinterpret_cast<const WinForm*>(::GetWindowLongPtrW(root, GWLP_USERDATA));
    return form && !form->takesInput();
}

// WM_QUIT is put back for the main loop, which ends the program on it.
void WinToolkit::processEvents() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            m_quit = true;
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        dispatch(message);
    }
}

// After WM_QUIT a wait would get it back at once and spin: every wait ends instead.
bool WinToolkit::waitForEvent() {
    if (m_quit) return false;
    MSG message;
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
        m_quit = true;
        ::PostQuitMessage(static_cast<int>(message.wParam));
        return false;
    }
    if (got > 0) dispatch(message);
    processEvents();
    return !m_quit;
}

void WinToolkit::watchForeground(ui::Handler changed) {
    m_foregroundWatch.reset();
    if (changed) m_foregroundWatch = std::make_unique<WinForegroundWatch>(std::move(changed));
}

int WinToolkit::runMessageLoop() {
    MSG message;
    BOOL got;
    while ((got = ::GetMessageW(&message, nullptr, 0, 0)) > 0) dispatch(message);
    return got == 0 ? static_cast<int>(message.wParam) : -1;
}
