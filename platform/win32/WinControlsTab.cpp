#include "platform/win32/WinControlsTab.h"

#include <commctrl.h>
#include <uxtheme.h>

#include "platform/win32/Utf.h"
#include "platform/win32/WinForm.h"

// Clipped by its siblings: the page controls lie on top of it and must not be painted over.
WinTabStrip::WinTabStrip(WinForm& form, const ui::ControlSpec& spec, const std::vector<std::string>& pages)
    : WinControl(form, spec, form.createChild(spec, {WC_TABCONTROLW, WS_TABSTOP | WS_CLIPSIBLINGS, 0, std::wstring()})),
      m_pages(pages) {
    for (size_t i = 0; i < pages.size(); ++i) {
        std::wstring title = toWide(pages[i]);
        TCITEMW tab = {};
        tab.mask = TCIF_TEXT;
        tab.pszText = title.data();
        ::SendMessageW(m_hwnd, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&tab));
    }
}

int WinTabStrip::pageCount() const {
    return static_cast<int>(::SendMessageW(m_hwnd, TCM_GETITEMCOUNT, 0, 0));
}

int WinTabStrip::selectedPage() const {
    return static_cast<int>(::SendMessageW(m_hwnd, TCM_GETCURSEL, 0, 0));
}

// TCM_SETCURSEL sends no TCN_SELCHANGE, so the page's controls are shown here.
void WinTabStrip::selectPage(int index) {
    if (index < 0 || index >= pageCount()) return;
    ::SendMessageW(m_hwnd, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    m_form.showSelectedPage();
}

std::string WinTabStrip::text() const {
    const int page = selectedPage();
    return page >= 0 && page < static_cast<int>(m_pages.size()) ? m_pages[static_cast<size_t>(page)] : std::string();
}

// A user's click on a tab.
bool WinTabStrip::notify(const NMHDR& header, LRESULT& result) {
    if (header.code != TCN_SELCHANGE) return false;
    m_form.showSelectedPage();
    result = 0;
    return true;
}

bool WinTabStrip::isThemed() const {
    return ::GetWindowTheme(m_hwnd) != nullptr;
}
