#include "platform/sim/SimForm.h"

#include "platform/sim/SimControls.h"
#include "platform/sim/SimDesktop.h"
#include "platform/sim/SimTabStrip.h"
#include "platform/sim/SimTimer.h"
#include "platform/sim/SimToolkit.h"

namespace sim {

SimForm::SimForm(SimToolkit& toolkit, const ui::FormSpec& spec)
    : m_toolkit(toolkit), m_name(spec.name), m_fontName(spec.fontName) {
    SimWindow window;
    window.title = spec.caption;
    window.className = "ObelonForm";
    window.process = toolkit.process();
    m_id = toolkit.desktop().addWindow(std::move(window), this);
    toolkit.addForm(*this);
}

// Timers first, so nothing of this form can run while the rest goes.
SimForm::~SimForm() {
    m_timers.clear();
    m_toolkit.removeForm(*this);
    m_toolkit.desktop().destroyWindow(m_id);
}

void SimForm::setCaption(std::string_view caption) {
    (void)m_toolkit.desktop().setWindowText(m_id, caption);
}

std::string SimForm::caption() const {
    return m_toolkit.desktop().windowText(m_id);
}

// Activation is raised only when the form was not already the active window. A process without the
// foreground right shows the form behind the foreground window, which keeps the foreground.
void SimForm::show() {
    SimDesktop& desktop = m_toolkit.desktop();
    if (!desktop.isWindow(m_id)) return;
    const bool wasActive = isActive();
    const bool wasVisible = isVisible();
    desktop.setVisibleState(m_id, true);
    if (desktop.takeForeground(m_id, !wasVisible) && !wasActive) raiseActivate();
}

// A topmost popup without title bar while it covers the screen; its own style again after. Neither way
// activates it.
void SimForm::setCoversScreen(bool on) {
    if (on == m_coversScreen) return;
    SimDesktop& desktop = m_toolkit.desktop();
    if (on) m_ordinaryStyle = desktop.windowStyle(m_id);
    desktop.setStyleState(m_id, on ? (m_ordinaryStyle & ~kWsCaption) | kWsPopup : m_ordinaryStyle);
    (void)desktop.setTopmost(m_id, on);
    m_coversScreen = on;
}

void SimForm::hide() {
    m_toolkit.desktop().setVisibleState(m_id, false);
}

bool SimForm::isVisible() const {
    return m_toolkit.desktop().isVisible(m_id);
}

// A change of state from code resizes the window at once, as ShowWindow does.
void SimForm::setWindowState(ui::WindowState state) {
    const ui::WindowState before = windowState();
    m_toolkit.desktop().setMinimizedState(m_id, state == ui::WindowState::Minimized,
                                          state == ui::WindowState::Maximized);
    if (windowState() != before && m_onResize) {
        const ui::Handler handler = m_onResize;
        handler();
    }
}

ui::WindowState SimForm::windowState() const {
    const std::optional<SimWindow> window = m_toolkit.desktop().window(m_id);
    if (window && window->minimized) return ui::WindowState::Minimized;
    if (window && window->maximized) return ui::WindowState::Maximized;
    return ui::WindowState::Normal;
}

bool SimForm::isActive() const {
    return m_toolkit.desktop().foregroundWindow() == m_id;
}

void SimForm::pressEnter() {
    if (m_defaultButton) m_defaultButton->click();
}

void SimForm::pressEscape() {
    if (m_cancelButton) m_cancelButton->click();
}

void SimForm::userInput() {
    m_toolkit.desktop().userInput(m_toolkit.process());
}

// A press on the inactive form activates it first; with the input gate shut that is all it does, as
// MA_ACTIVATEANDEAT drops the press itself.
bool SimForm::pressBackground(ui::MouseButton button) {
    if (!isVisible() || !m_enabled) return false;
    userInput();
    if (!isActive()) {
        m_toolkit.desktop().takeForeground(m_id);
        raiseActivate();
        if (!takesInput()) return true;
    }
    if (m_onMouseDown) {
        const auto handler = m_onMouseDown;
        handler(button);
    }
    return true;
}

bool SimForm::clickClose() {
    if (!isVisible() || !m_toolkit.desktop().hasSystemMenuCommand(m_id, kScClose)) return false;
    userInput();
    runCloseRequest();
    return true;
}

std::vector<ui::Control*> SimForm::controls() const {
    std::vector<ui::Control*> all;
    all.reserve(m_controls.size());
    for (const auto& control : m_controls) all.push_back(control.get());
    return all;
}

// Handlers are copied before they run, so one that replaces itself does not destroy the running code.
void SimForm::raiseActivate() {
    if (!m_onActivate) return;
    const ui::Handler handler = m_onActivate;
    handler();
}

// Without a handler of its own a form hides when it is closed.
void SimForm::runCloseRequest() {
    if (!m_onCloseRequest) return hide();
    const ui::Handler handler = m_onCloseRequest;
    handler();
}

// What reaches the form from outside waits for its process to let events run, as a posted message does.
// The form is looked up again then: it may be gone by that time.
void SimForm::closeRequested() {
    SimToolkit* toolkit = &m_toolkit;
    const WindowId id = m_id;
    m_toolkit.clock().post(m_toolkit.process(), [toolkit, id] {
        if (SimForm* form = toolkit->formById(id)) form->runCloseRequest();
    });
}

void SimForm::activatedFromOutside() {
    SimToolkit* toolkit = &m_toolkit;
    const WindowId id = m_id;
    m_toolkit.clock().post(m_toolkit.process(), [toolkit, id] {
        if (SimForm* form = toolkit->formById(id)) form->raiseActivate();
    });
}

void SimForm::sizeChanged() {
    SimToolkit* toolkit = &m_toolkit;
    const WindowId id = m_id;
    m_toolkit.clock().post(m_toolkit.process(), [toolkit, id] {
        SimForm* form = toolkit->formById(id);
        if (!form || !form->m_onResize) return;
        const ui::Handler handler = form->m_onResize;
        handler();
    });
}

// The shell lets the icon's owner take the foreground, so its menu or window can come up in front.
void SimForm::trayMouse(int message) {
    userInput();
    if (!m_onTrayMouse) return;
    const auto handler = m_onTrayMouse;
    handler(message);
}

// Controls without a page, and every control while the form has no tab strip, count as on the selected page.
bool SimForm::isPageSelected(int page) const {
    return page < 0 || !m_tabStrip || m_tabStrip->selectedPage() == page;
}

void SimForm::clearOtherOptions(const ui::Control& chosen, int page) {
    for (const auto& control : m_controls) {
        auto* option = dynamic_cast<SimOptionButton*>(control.get());
        if (option && option != &chosen && option->page() == page) option->setChecked(false);
    }
}

}  // namespace sim
