#pragma once
#include <windows.h>

#include <string>
#include <string_view>

#include "platform/ui/Controls.h"

class WinForm;

// What a control asks of its form when it creates its window.
struct ChildWindowArgs {
    const wchar_t* className = nullptr;
    DWORD style = 0;  // besides WS_CHILD; every control starts hidden and is shown by its page rule
    DWORD exStyle = 0;
    std::wstring text;
};

// The Win32 side of every control: its window, its page and the notifications its form routes to it.
class WinControlBase {
public:
    WinControlBase(WinForm& form, const ui::ControlSpec& spec, HWND hwnd);
    virtual ~WinControlBase() = default;
    WinControlBase(const WinControlBase&) = delete;
    WinControlBase& operator=(const WinControlBase&) = delete;

    HWND hwnd() const { return m_hwnd; }
    // The tab page the control sits on; below 0 on the form itself.
    int page() const { return m_page; }
    virtual ui::Control& asControl() = 0;
    virtual void command(WORD notification);
    // true when the notification was handled; result is then the window procedure's answer.
    virtual bool notify(const NMHDR& header, LRESULT& result);
    // The text colour the control was given; false while it keeps the system's.
    virtual bool foreColor(COLORREF& color) const {
        (void)color;
        return false;
    }
    void applyVisibility();

protected:
    std::string windowText() const;
    void setWindowText(std::string_view text);
    void setOwnVisible(bool on);
    bool effectiveVisible() const;
    static void raise(const ui::Handler& handler);

    WinForm& m_form;
    HWND m_hwnd;
    std::string m_name;
    int m_page;
    bool m_visible = true;
};

// ui::Control's common half, once for every kind of control.
template <class Interface>
class WinControl : public Interface, public WinControlBase {
public:
    using WinControlBase::WinControlBase;
    ui::Control& asControl() override { return *this; }
    const std::string& name() const override { return m_name; }
    void setText(std::string_view text) override { setWindowText(text); }
    std::string text() const override { return windowText(); }
    void setVisible(bool on) override { setOwnVisible(on); }
    // Its own flag and its tab page being selected; the form's own visibility does not count.
    bool isVisible() const override { return effectiveVisible(); }
    void setEnabled(bool on) override { ::EnableWindow(m_hwnd, on ? TRUE : FALSE); }
    bool isEnabled() const override { return ::IsWindowEnabled(m_hwnd) != FALSE; }
};
