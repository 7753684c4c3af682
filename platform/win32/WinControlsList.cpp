#include "platform/win32/WinControlsList.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/win32/Utf.h"
#include "platform/win32/WinForm.h"

// ---- both kinds

WinListControl::WinListControl(WinForm& form, const ui::ControlSpec& spec, HWND hwnd)
    : WinControl(form, spec, hwnd), m_hook(m_hwnd, [this](UINT message, WPARAM wParam, LPARAM) {
          hooked(message, wParam);
          return std::optional<LRESULT>();
      }) {}

std::string WinListControl::text() const {
    const int index = selectedIndex();
    return index < 0 ? std::string() : item(index);
}

// Selects the entry with exactly this text (case-sensitive, unlike the controls' own search), or none.
void WinListControl::setText(std::string_view text) {
    for (int i = 0; i < count(); ++i) {
        if (item(i) == text) return setSelectedIndex(i);
    }
    setSelectedIndex(-1);
}

// Under Wine each entry added to a drawn list costs a repaint and a scroll-bar update, a round trip to the
// window system each: a thousand entries took seconds. WM_SETREDRAW stops both. The default handling of
// WM_SETREDRAW marks the control visible again when drawing resumes, so its own visibility is put back after.
void WinListControl::pauseDrawing() {
    if (m_drawingPauses++ == 0) ::SendMessageW(m_hwnd, WM_SETREDRAW, FALSE, 0);
}

void WinListControl::resumeDrawing() {
    if (m_drawingPauses == 0 || --m_drawingPauses > 0) return;
    ::SendMessageW(m_hwnd, WM_SETREDRAW, TRUE, 0);
    applyVisibility();
    ::InvalidateRect(m_hwnd, nullptr, TRUE);
}

void WinListControl::keyDown(int key) {
    if (m_onKeyDown) m_onKeyDown(key);
}

void WinListControl::mouseDown(ui::MouseButton button) {
    if (m_onMouseDown) m_onMouseDown(button);
}

// The press is reported before the control reacts to it: a list view's own handling of a button
// press waits for the release, and the handler belongs to the press.
void WinListControl::hooked(UINT message, WPARAM wParam) {
    try {
        switch (message) {
            case WM_LBUTTONDOWN:
                mouseDown(ui::MouseButton::Left);
                break;
            case WM_RBUTTONDOWN:
                mouseDown(ui::MouseButton::Right);
                break;
            case WM_MBUTTONDOWN:
                mouseDown(ui::MouseButton::Middle);
                break;
            case WM_KEYDOWN:
                if (keysFromWindow()) keyDown(static_cast<int>(wParam));
                break;
            default:
                break;
        }
    } catch (...) {
        ::OutputDebugStringW(L"Obelon: exception in a list's event handler\n");
    }
}

// ---- LISTBOX

namespace {

DWORD listBoxStyle(const ui::ListOptions& options) {
    DWORD style = LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP;
    if (options.sorted) style |= LBS_SORT;
    return style;
}

}  // namespace

WinListBox::WinListBox(WinForm& form, const ui::ControlSpec& spec, const ui::ListOptions& options)
    : WinListControl(form, spec, form.createChild(spec, {WC_LISTBOXW, listBoxStyle(options), 0, std::wstring()})) {}

// The list reports a change of selection by the user only, never one made with LB_SETCURSEL.
void WinListBox::command(WORD notification) {
    if (notification == LBN_SELCHANGE) picked();
}

int WinListBox::count() const {
    return static_cast<int>(::SendMessageW(m_hwnd, LB_GETCOUNT, 0, 0));
}

std::string WinListBox::item(int index) const {
    const LRESULT length = ::SendMessageW(m_hwnd, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied =
        ::SendMessageW(m_hwnd, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    if (copied == LB_ERR) return {};
    text.resize(static_cast<size_t>(copied));
    return toUtf8(text);
}

void WinListBox::addItem(std::string_view text) {
    ::SendMessageW(m_hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(toWide(text).c_str()));
    changed();
}

void WinListBox::removeItem(int index) {
    ::SendMessageW(m_hwnd, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
    changed();
}

void WinListBox::clear() {
    ::SendMessageW(m_hwnd, LB_RESETCONTENT, 0, 0);
    changed();
}

int WinListBox::selectedIndex() const {
    const LRESULT index = ::SendMessageW(m_hwnd, LB_GETCURSEL, 0, 0);
    return index == LB_ERR ? -1 : static_cast<int>(index);
}

void WinListBox::setSelectedIndex(int index) {
    ::SendMessageW(m_hwnd, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

// ---- list view with check boxes

namespace {

DWORD listViewStyle(const ui::ListOptions& options) {
    DWORD style = LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP;
    if (options.sorted) style |= LVS_SORTASCENDING;
    return style;
}

}  // namespace

WinCheckedList::WinCheckedList(WinForm& form, const ui::ControlSpec& spec, const ui::ListOptions& options)
    : WinListControl(form, spec, form.createChild(spec, {WC_LISTVIEWW, listViewStyle(options), 0, std::wstring()})) {
    const DWORD extended = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT;
    ::SendMessageW(m_hwnd, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    // One column across the control, less the vertical scroll bar, so no horizontal bar appears.
    RECT client = {};
    ::GetClientRect(m_hwnd, &client);
    LVCOLUMNW column = {};
    column.mask = LVCF_WIDTH;
    column.cx = std::max<int>(client.right - client.left - ::GetSystemMetrics(SM_CXVSCROLL), 0);
    ::SendMessageW(m_hwnd, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
}

int WinCheckedList::count() const {
    return static_cast<int>(::SendMessageW(m_hwnd, LVM_GETITEMCOUNT, 0, 0));
}

std::string WinCheckedList::item(int index) const {
    if (index < 0 || index >= count()) return {};
    // The call reports only how much it copied, so grow the buffer until the text is shorter than it.
    std::wstring text(256, L'\0');
    for (;;) {
        LVITEMW request = {};
        request.pszText = text.data();
        request.cchTextMax = static_cast<int>(text.size());
        const auto copied = static_cast<size_t>(
            ::SendMessageW(m_hwnd, LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&request)));
        if (copied + 1 < text.size() || text.size() >= (1u << 20)) {
            text.resize(std::min(copied, text.size()));
            return toUtf8(text);
        }
        text.resize(text.size() * 4);
    }
}

void WinCheckedList::addItem(std::string_view text) {
    std::wstring wide = toWide(text);
    LVITEMW entry = {};
    entry.mask = LVIF_TEXT;
    entry.iItem = count();
    entry.pszText = wide.data();
    ::SendMessageW(m_hwnd, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&entry));
    changed();
}

void WinCheckedList::removeItem(int index) {
    ::SendMessageW(m_hwnd, LVM_DELETEITEM, static_cast<WPARAM>(index), 0);
    changed();
}

void WinCheckedList::clear() {
    ::SendMessageW(m_hwnd, LVM_DELETEALLITEMS, 0, 0);
    changed();
}

bool WinCheckedList::isChecked(int index) const {
    if (index < 0 || index >= count()) return false;
    return ListView_GetCheckState(m_hwnd, static_cast<UINT>(index)) != 0;
}

void WinCheckedList::setChecked(int index, bool on) {
    if (index < 0 || index >= count()) return;
    ListView_SetCheckState(m_hwnd, index, on ? TRUE : FALSE);
    changed();
}

int WinCheckedList::selectedIndex() const {
    return static_cast<int>(::SendMessageW(m_hwnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

// -1 clears the selection; the list view's item -1 means every item.
void WinCheckedList::setSelectedIndex(int index) {
    ListView_SetItemState(m_hwnd, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (index < 0 || index >= count()) return;
    ListView_SetItemState(m_hwnd, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ::SendMessageW(m_hwnd, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
}

// A tick the user makes in a check box arrives as a change of the entry's state image.
bool WinCheckedList::notify(const NMHDR& header, LRESULT& result) {
    if (header.code == LVN_ITEMCHANGED) {
        if (reinterpret_cast<const NMLISTVIEW&>(header).uChanged & LVIF_STATE) changed();
        return false;
    }
    if (header.code == NM_CLICK) {
        if (reinterpret_cast<const NMITEMACTIVATE&>(header).iItem >= 0) picked();
        result = 0;
        return true;
    }
    if (header.code != LVN_KEYDOWN) return false;
    keyDown(reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey);
    result = 0;
    return true;
}
