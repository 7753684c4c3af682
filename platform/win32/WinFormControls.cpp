// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <stdexcept>
#include <string>

#include "platform/win32/Utf.h"
#include "platform/win32/WinControls.h"
#include "platform/win32/WinControlsList.h"
#include "platform/win32/WinControlsTab.h"
#include "platform/win32/WinForm.h"
#include "platform/win32/WinTimer.h"

HWND WinForm::createChild(const ui::ControlSpec& spec, const ChildWindowArgs& args) {
    const int id = m_nextControlId++;
    HWND child =
        ::CreateWindowExW(args.exStyle, args.className, args.text.c_str(), WS_CHILD | args.style, scaled(spec.rect.x),
                          scaled(spec.rect.y), scaled(spec.rect.w), scaled(spec.rect.h), m_hwnd.get(),
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), m_context.instance, nullptr);
    if (!child) {
        throw std::runtime_error("CreateWindowExW(" + spec.name + ") failed: " + std::to_string(::GetLastError()));
    }
    ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(m_context.font), FALSE);
    if (!spec.toolTip.empty()) addToolTip(child, spec.toolTip);
    return child;
}

// One tool-tip window per form, made with the first tip. The version-2 record size is understood by every
// common-controls version, with or without a manifest asking for version 6.
void WinForm::addToolTip(HWND control, const std::string& text) {
    if (!m_toolTips) {
        m_toolTips = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                       CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hwnd.get(),
                                       nullptr, m_context.instance, nullptr);
        if (!m_toolTips) return;
    }
    std::wstring wide = toWide(text);
    TOOLINFOW tool = {};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = m_hwnd.get();
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = wide.data();
    ::SendMessageW(m_toolTips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

template <class T>
T& WinForm::adopt(std::unique_ptr<T> control, Layer layer) {
    T& added = *control;
    m_byWindow.emplace(added.hwnd(), &added);
    m_controls.push_back(std::move(control));
    stack(added.hwnd(), layer);
    added.applyVisibility();
    return added;
}

// Controls without a page, and every control while the form has no tab strip, count as on the selected page.
bool WinForm::isPageSelected(int page) const {
    return page < 0 || !m_tabStrip || m_tabStrip->selectedPage() == page;
}

void WinForm::showSelectedPage() {
    for (const auto& control : m_controls) control->applyVisibility();
}

// Children paint and take the mouse in their order among siblings, whatever order the system gives
// new windows. Kept from the top: the controls in the order added (which is also the Tab order), then
// the frames, then the tab strip, so frames and pages lie beneath whatever is placed on them.
void WinForm::stack(HWND hwnd, Layer layer) {
    HWND insertAfter = HWND_TOP;
    switch (layer) {
        case Layer::Control:
            if (m_lastControl) insertAfter = m_lastControl;
            m_lastControl = hwnd;
            break;
        case Layer::Frame:
            if (m_lastFrame) {
                insertAfter = m_lastFrame;
            } else if (m_lastControl) {
                insertAfter = m_lastControl;
            }
            m_lastFrame = hwnd;
            break;
        case Layer::Pages:
            insertAfter = HWND_BOTTOM;
            break;
    }
    ::SetWindowPos(hwnd, insertAfter, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

ui::Button& WinForm::addButton(const ui::ControlSpec& spec) {
    return adopt(std::make_unique<WinButton>(*this, spec));
}

ui::CheckBox& WinForm::addCheckBox(const ui::ControlSpec& spec) {
    return adopt(std::make_unique<WinCheckBox>(*this, spec));
}

ui::OptionButton& WinForm::addOptionButton(const ui::ControlSpec& spec) {
    return adopt(std::make_unique<WinOptionButton>(*this, spec));
}

ui::Label& WinForm::addLabel(const ui::ControlSpec& spec) {
    return adopt(std::make_unique<WinLabel>(*this, spec));
}

ui::Frame& WinForm::addFrame(const ui::ControlSpec& spec) {
    return adopt(std::make_unique<WinFrame>(*this, spec), Layer::Frame);
}

ui::Image& WinForm::addImage(const ui::ControlSpec& spec) {
    return adopt(std::make_unique<WinImage>(*this, spec));
}

ui::TextBox& WinForm::addTextBox(const ui::ControlSpec& spec, const ui::TextBoxOptions& options) {
    return adopt(std::make_unique<WinTextBox>(*this, spec, options));
}

ui::ListBox& WinForm::addListBox(const ui::ControlSpec& spec, const ui::ListOptions& options) {
    if (options.checkBoxes) return adopt(std::make_unique<WinCheckedList>(*this, spec, options));
    return adopt(std::make_unique<WinListBox>(*this, spec, options));
}

ui::ProgressBar& WinForm::addProgressBar(const ui::ControlSpec& spec) {
    return adopt(std::make_unique<WinProgressBar>(*this, spec));
}

// A form has one tab strip; its pages decide which of the controls added before or after it are shown.
ui::TabStrip& WinForm::addTabStrip(const ui::ControlSpec& spec, const std::vector<std::string>& pages) {
    auto& strip = adopt(std::make_unique<WinTabStrip>(*this, spec, pages), Layer::Pages);
    if (!m_tabStrip) m_tabStrip = &strip;
    showSelectedPage();
    return strip;
}

ui::Timer& WinForm::addTimer(const std::string& name, int intervalMs, bool enabled) {
    m_timers.push_back(std::make_unique<WinTimer>(m_hwnd.get(), m_nextTimerId++, name, intervalMs, enabled));
    return *m_timers.back();
}

void WinForm::setCancelButton(ui::Button& button) {
    m_cancelButton = nullptr;
    for (const auto& control : m_controls) {
        if (&control->asControl() == &button) m_cancelButton = dynamic_cast<WinButton*>(control.get());
    }
}

void WinForm::setDefaultButton(ui::Button& button) {
    if (m_defaultButton) m_defaultButton->setDefault(false);
    m_defaultButton = nullptr;
    for (const auto& control : m_controls) {
        if (&control->asControl() == &button) m_defaultButton = dynamic_cast<WinButton*>(control.get());
    }
    if (m_defaultButton) m_defaultButton->setDefault(true);
}

ui::Control* WinForm::findControl(std::string_view name) {
    for (const auto& control : m_controls) {
        if (control->asControl().name() == name) return &control->asControl();
    }
    return nullptr;
}

ui::Timer* WinForm::findTimer(std::string_view name) {
    for (const auto& timer : m_timers) {
        if (timer->name() == name) return timer.get();
    }
    return nullptr;
}
