#include "platform/win32/WinControls.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/win32/Utf.h"
#include "platform/win32/WinForm.h"

// ---- every control

WinControlBase::WinControlBase(WinForm& form, const ui::ControlSpec& spec, HWND hwnd)
    : m_form(form), m_hwnd(hwnd), m_name(spec.name), m_page(spec.page) {}

void WinControlBase::command(WORD) {}

bool WinControlBase::notify(const NMHDR&, LRESULT&) {
    return false;
}

// The window is shown only while its own flag is on and its page is the selected one.
void WinControlBase::applyVisibility() {
    ::ShowWindow(m_hwnd, effectiveVisible() ? SW_SHOWNA : SW_HIDE);
}

std::string WinControlBase::windowText() const {
    const int length = ::GetWindowTextLengthW(m_hwnd);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(m_hwnd, text.data(), length + 1);
    text.resize(static_cast<size_t>(std::max(copied, 0)));
    return toUtf8(text);
}

void WinControlBase::setWindowText(std::string_view text) {
    ::SetWindowTextW(m_hwnd, toWide(text).c_str());
}

void WinControlBase::setOwnVisible(bool on) {
    m_visible = on;
    applyVisibility();
}

bool WinControlBase::effectiveVisible() const {
    return m_visible && m_form.isPageSelected(m_page);
}

// A copy, so a handler that replaces itself does not destroy the code that is running.
void WinControlBase::raise(const ui::Handler& handler) {
    if (!handler) return;
    const ui::Handler running = handler;
    running();
}

// ---- buttons

WinButton::WinButton(WinForm& form, const ui::ControlSpec& spec)
    : WinControl(form, spec,
                 form.createChild(spec, {WC_BUTTONW, BS_PUSHBUTTON | WS_TABSTOP, 0, toWide(spec.caption)})) {}

namespace {

// A click from code is a user's click: nothing happens where the user could not click.
bool userCanClick(HWND control, bool shown, const WinForm& form) {
    return ::IsWindowEnabled(control) != FALSE && shown && form.isEnabled() && form.isVisible() && form.takesInput();
}

}  // namespace

void WinButton::click() {
    if (userCanClick(m_hwnd, effectiveVisible(), m_form)) raise(m_onClick);
}

// BM_CLICK from another program arrives here too, so the same rule holds: a hidden page's or a locked
// window's button cannot be pressed from outside (the "Shut Down OB" button behind the password, say).
void WinButton::command(WORD notification) {
    if (notification == BN_CLICKED && userCanClick(m_hwnd, effectiveVisible(), m_form)) raise(m_onClick);
}

void WinButton::setDefault(bool on) {
    ::SendMessageW(m_hwnd, BM_SETSTYLE, on ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void WinButton::setMousePointer(ui::MousePointer pointer) {
    if (pointer != ui::MousePointer::Default && !m_pointerHook) {
        m_pointerHook.emplace(m_hwnd, [this](UINT message, WPARAM, LPARAM lParam) {
            return pointerMessage(message, lParam);
        });
    }
    m_pointer = pointer;
}

// Windows asks the window under the mouse for its pointer on every move; the button answers with its own.
std::optional<LRESULT> WinButton::pointerMessage(UINT message, LPARAM lParam) const {
    if (message == WM_SETCURSOR && LOWORD(lParam) == HTCLIENT && m_pointer == ui::MousePointer::Custom) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
    }
    return std::nullopt;
}

WinCheckBox::WinCheckBox(WinForm& form, const ui::ControlSpec& spec)
    : WinControl(form, spec,
                 form.createChild(spec, {WC_BUTTONW, BS_AUTOCHECKBOX | WS_TABSTOP, 0, toWide(spec.caption)})) {}

bool WinCheckBox::isChecked() const {
    return ::SendMessageW(m_hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// Changing the state from code raises the click, as the user's click does.
void WinCheckBox::setChecked(bool on) {
    if (on == isChecked()) return;
    ::SendMessageW(m_hwnd, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    raise(m_onClick);
}

void WinCheckBox::click() {
    if (userCanClick(m_hwnd, effectiveVisible(), m_form)) setChecked(!isChecked());
}

// The auto check box has already toggled itself when this arrives; a click the user could not have made is
// undone, so the box keeps showing the state the program acts on.
void WinCheckBox::command(WORD notification) {
    if (notification != BN_CLICKED) return;
    if (!userCanClick(m_hwnd, effectiveVisible(), m_form)) {
        ::SendMessageW(m_hwnd, BM_SETCHECK, isChecked() ? BST_UNCHECKED : BST_CHECKED, 0);
        return;
    }
    raise(m_onClick);
}

WinOptionButton::WinOptionButton(WinForm& form, const ui::ControlSpec& spec)
    : WinControl(form, spec,
                 form.createChild(spec, {WC_BUTTONW, BS_AUTORADIOBUTTON | WS_TABSTOP, 0, toWide(spec.caption)})) {}

bool WinOptionButton::isChecked() const {
    return ::SendMessageW(m_hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// Selecting an option from code raises its click; clearing it does not, as with the user's choice.
void WinOptionButton::setChecked(bool on) {
    const bool changed = on != isChecked();
    ::SendMessageW(m_hwnd, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    if (changed && on) raise(m_onClick);
}

void WinOptionButton::command(WORD notification) {
    if (notification == BN_CLICKED && userCanClick(m_hwnd, effectiveVisible(), m_form)) raise(m_onClick);
}

// ---- labels, frames, images

namespace {

// A static control breaks lines only at CR LF or LF; a lone CR would show as nothing.
std::wstring withLineBreaks(std::string_view text) {
    const std::wstring wide = toWide(text);
    std::wstring shown;
    shown.reserve(wide.size());
    for (size_t i = 0; i < wide.size(); ++i) {
        shown.push_back(wide[i]);
        if (wide[i] == L'\r' && (i + 1 == wide.size() || wide[i + 1] != L'\n')) shown.push_back(L'\n');
    }
    return shown;
}

}  // namespace

// A label shows its text as given: paths and window titles with "&" in them keep it, no letter is underlined.
WinLabel::WinLabel(WinForm& form, const ui::ControlSpec& spec)
    : WinControl(form, spec,
                 form.createChild(spec, {WC_STATICW, SS_LEFT | SS_NOTIFY | SS_NOPREFIX, 0, withLineBreaks(spec.caption)})),
      m_text(spec.caption) {}

// The form paints with the colour when the static asks (WM_CTLCOLORSTATIC); a repaint makes it ask.
void WinLabel::setForeColor(uint32_t color) {
    m_color = static_cast<COLORREF>(color);
    ::InvalidateRect(m_hwnd, nullptr, TRUE);
}

bool WinLabel::foreColor(COLORREF& color) const {
    if (!m_color) return false;
    color = *m_color;
    return true;
}

void WinLabel::command(WORD notification) {
    if (notification == STN_CLICKED && userCanClick(m_hwnd, effectiveVisible(), m_form)) raise(m_onClick);
}

// The text is kept as set, so reading it back gives the caller's line breaks, not the displayed ones.
void WinLabel::setText(std::string_view text) {
    m_text = text;
    ::SetWindowTextW(m_hwnd, withLineBreaks(text).c_str());
}

// Beneath the controls it surrounds, so it never paints over them (see WinForm::stack). A group box
// draws only its border and caption, so it is transparent: what lies under it (the form, a tab page)
// is not clipped away and repaints its inside, or controls hidden there would leave their pixels.
WinFrame::WinFrame(WinForm& form, const ui::ControlSpec& spec)
    : WinControl(form, spec,
                 form.createChild(
                     spec, {WC_BUTTONW, BS_GROUPBOX | WS_CLIPSIBLINGS, WS_EX_TRANSPARENT, toWide(spec.caption)})) {}

// The caption is not the window text: an SS_ICON static reads its text as an icon resource name.
WinImage::WinImage(WinForm& form, const ui::ControlSpec& spec)
    : WinControl(form, spec, form.createChild(spec, {WC_STATICW, SS_ICON, 0, std::wstring()})), m_text(spec.caption) {
    ::SendMessageW(m_hwnd, STM_SETICON, reinterpret_cast<WPARAM>(::LoadIconW(nullptr, IDI_INFORMATION)), 0);
}

// ---- text boxes and progress bars

void WinTextBox::setForeColor(uint32_t color) {
    m_color = static_cast<COLORREF>(color);
    ::InvalidateRect(m_hwnd, nullptr, TRUE);
}

bool WinTextBox::foreColor(COLORREF& color) const {
    if (!m_color) return false;
    color = *m_color;
    return true;
}

namespace {

DWORD textBoxStyle(const ui::TextBoxOptions& options) {
    DWORD style = ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
    if (options.passwordChar != 0) style |= ES_PASSWORD;
    if (options.multiLine) style |= ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL;
    return style;
}

}  // namespace

WinTextBox::WinTextBox(WinForm& form, const ui::ControlSpec& spec, const ui::TextBoxOptions& options)
    : WinControl(form, spec, form.createChild(spec, {WC_EDITW, textBoxStyle(options), 0, toWide(spec.caption)})),
      m_multiLine(options.multiLine) {
    if (options.passwordChar != 0) {
        const auto shown = static_cast<wchar_t>(static_cast<unsigned char>(options.passwordChar));
        ::SendMessageW(m_hwnd, EM_SETPASSWORDCHAR, shown, 0);
    }
    if (options.maxLength > 0) ::SendMessageW(m_hwnd, EM_LIMITTEXT, static_cast<WPARAM>(options.maxLength), 0);
}

// A single-line edit sends EN_CHANGE for every WM_SETTEXT, the same text included; a multi-line one sends
// none, so the change is raised here for it, and every box behaves alike.
void WinTextBox::setText(std::string_view text) {
    setWindowText(text);
    if (m_multiLine) raise(m_onChange);
}

// Raised for typing and for text set from code or by another program's WM_SETTEXT.
void WinTextBox::command(WORD notification) {
    if (notification == EN_CHANGE) raise(m_onChange);
}

WinProgressBar::WinProgressBar(WinForm& form, const ui::ControlSpec& spec)
    : WinControl(form, spec, form.createChild(spec, {PROGRESS_CLASSW, 0, 0, std::wstring()})) {
    ::SendMessageW(m_hwnd, PBM_SETRANGE32, 0, 100);
}

void WinProgressBar::setValue(int percent) {
    ::SendMessageW(m_hwnd, PBM_SETPOS, static_cast<WPARAM>(std::clamp(percent, 0, m_maximum)), 0);
}

void WinProgressBar::setRange(int maximum) {
    m_maximum = std::max(maximum, 1);
    ::SendMessageW(m_hwnd, PBM_SETRANGE32, 0, m_maximum);
}

int WinProgressBar::value() const {
    return static_cast<int>(::SendMessageW(m_hwnd, PBM_GETPOS, 0, 0));
}
