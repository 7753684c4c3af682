#include "platform/sim/SimControls.h"

#include <algorithm>

namespace sim {

bool SimLabel::click() {
    if (!isVisible() || !reachedByUser()) return false;
    raise(m_onClick);
    return true;
}

// A click is a user's click: nothing happens where the user could not click, as on the real controls.
void SimButton::click() {
    if (isVisible() && reachedByUser()) raise(m_onClick);
}

void SimCheckBox::click() {
    if (isVisible() && reachedByUser()) setChecked(!m_checked);
}

void SimCheckBox::setChecked(bool on) {
    if (on == m_checked) return;
    m_checked = on;
    raise(m_onClick);
}

// Selecting an option from code raises its click; clearing it does not, as with the user's choice.
void SimOptionButton::setChecked(bool on) {
    const bool changed = on != m_checked;
    m_checked = on;
    if (changed && on) raise(m_onClick);
}

// A click on an option that is already chosen is still a click.
void SimOptionButton::click() {
    if (!isVisible() || !reachedByUser()) return;
    m_host.clearOtherOptions(*this, page());
    m_checked = true;
    raise(m_onClick);
}

void SimProgressBar::setValue(int percent) {
    m_value = std::clamp(percent, 0, m_maximum);
}

void SimProgressBar::setRange(int maximum) {
    m_maximum = std::max(maximum, 1);
    m_value = std::min(m_value, m_maximum);
}

}  // namespace sim
