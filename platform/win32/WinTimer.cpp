#include "platform/win32/WinTimer.h"

WinTimer::WinTimer(HWND owner, UINT_PTR id, std::string name, int intervalMs, bool enabled)
    : m_owner(owner), m_id(id), m_name(std::move(name)), m_interval(intervalMs) {
    setEnabled(enabled);
}

WinTimer::~WinTimer() {
    setEnabled(false);
}

// Switching on a running timer leaves its period alone; an interval of 0 never ticks.
void WinTimer::setEnabled(bool on) {
    if (on == m_enabled) return;
    m_enabled = on;
    if (on && m_interval > 0) {
        ::SetTimer(m_owner, m_id, static_cast<UINT>(m_interval), nullptr);
    } else {
        ::KillTimer(m_owner, m_id);
    }
}

// A handler that lets pending messages run would otherwise be entered again by its own next tick;
// a tick that falls due meanwhile is dropped instead.
void WinTimer::tick() {
    if (!m_enabled || m_ticking || !m_onTick) return;
    struct TickScope {
        bool& ticking;
        explicit TickScope(bool& flag) : ticking(flag) { ticking = true; }
        ~TickScope() { ticking = false; }
    } scope(m_ticking);
    // A copy, so a handler that replaces itself does not destroy the code that is running.
    const ui::Handler handler = m_onTick;
    handler();
}
