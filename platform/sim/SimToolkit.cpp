#include "platform/sim/SimToolkit.h"

#include <algorithm>

#include "platform/sim/SimDesktop.h"
#include "platform/sim/SimForm.h"

namespace sim {

SimToolkit::SimToolkit(SimDesktop& desktop, SimClock& clock, ProcessId process)
    : m_desktop(desktop), m_clock(clock), m_process(process) {}

SimToolkit::~SimToolkit() {
    if (m_foregroundWatch.timer) m_clock.removeTimer(m_foregroundWatch.timer);
}

std::unique_ptr<ui::Form> SimToolkit::createForm(const ui::FormSpec& spec) {
    return std::make_unique<SimForm>(*this, spec);
}

void SimToolkit::processEvents() {
    m_clock.runPending(m_process);
}

// The quit stays for the main loop, and every retrieval finds it before a WM_TIMER: no timer ticks again.
void SimToolkit::postQuit() {
    m_quit = true;
    m_clock.stopTicks(m_process);
}

bool SimToolkit::waitForEvent() {
    if (m_quit) return false;
    m_clock.waitNext(m_process);
    return !m_quit;
}

void SimToolkit::watchForeground(ui::Handler changed) {
    constexpr int kLookEveryMs = 15;
    if (m_foregroundWatch.timer) m_clock.removeTimer(m_foregroundWatch.timer);
    m_foregroundWatch = {};
    if (!changed) return;
    m_foregroundWatch.changed = std::move(changed);
    m_foregroundWatch.timer = m_clock.addTimer(m_process, [this] { lookAtForeground(); });
    m_clock.armTimer(m_foregroundWatch.timer, kLookEveryMs);
}

void SimToolkit::lookAtForeground() {
    ForegroundWatch& watch = m_foregroundWatch;
    const WindowId window = m_desktop.foregroundWindow();
    std::string title = m_desktop.windowText(window);
    if (watch.seen && window == watch.window && title == watch.title) return;
    watch.seen = true;
    watch.window = window;
    watch.title = std::move(title);
    const ui::Handler changed = watch.changed;
    changed();
}

bool SimToolkit::activate(ui::Form& form) {
    auto* simForm = dynamic_cast<SimForm*>(&form);
    if (!simForm || !form.isVisible()) return false;
    m_desktop.userInput(m_process);
    if (form.windowState() == ui::WindowState::Minimized) form.setWindowState(ui::WindowState::Normal);
    const bool wasActive = simForm->isActive();
    m_desktop.takeForeground(form.id());
    if (!wasActive) simForm->raiseActivate();
    return true;
}

SimForm* SimToolkit::findForm(std::string_view name) const {
    auto found = std::find_if(m_forms.begin(), m_forms.end(), [name](SimForm* form) { return form->name() == name; });
    return found == m_forms.end() ? nullptr : *found;
}

SimForm* SimToolkit::formById(WindowId id) const {
    auto found = std::find_if(m_forms.begin(), m_forms.end(), [id](SimForm* form) { return form->id() == id; });
    return found == m_forms.end() ? nullptr : *found;
}

void SimToolkit::removeForm(SimForm& form) {
    std::erase(m_forms, &form);
}

}  // namespace sim
