#include "platform/sim/SimTimer.h"

namespace sim {

SimTimer::SimTimer(SimClock& clock, ProcessId process, std::string name, int intervalMs, bool enabled)
    : m_clock(clock),
      m_id(clock.addTimer(process, [this] { tick(); })),
      m_name(std::move(name)),
      m_interval(intervalMs) {
    setEnabled(enabled);
}

SimTimer::~SimTimer() {
    m_clock.removeTimer(m_id);
}

// Switching on a running timer leaves its period alone; an interval of 0 never ticks.
void SimTimer::setEnabled(bool on) {
    if (on == m_enabled) return;
    m_enabled = on;
    if (on) {
        m_clock.armTimer(m_id, m_interval);
    } else {
        m_clock.disarmTimer(m_id);
    }
}

// A copy, so a handler that replaces itself does not destroy the code that is running.
void SimTimer::tick() {
    if (!m_enabled || !m_onTick) return;
    const ui::Handler handler = m_onTick;
    handler();
}

}  // namespace sim
