#include "common/EventPacer.h"

namespace {

// Short enough that clicks and the watch's ticks are not held up noticeably; each pass through the message
// queue is a round trip to the window system, which under Wine costs more than a registry read.
constexpr int64_t kEventIntervalMs = 10;

}  // namespace

EventPacer::EventPacer(ui::Toolkit& ui, IClock& clock) : m_ui(ui), m_clock(clock) {}

// The first step always lets events run, so what was waiting when the loop began is not held back by it.
bool EventPacer::step() {
    const int64_t now = m_clock.uptimeMs();
    if (m_ran && now - m_lastRun < kEventIntervalMs) return false;
    m_ui.processEvents();
    m_ran = true;
    m_lastRun = m_clock.uptimeMs();
    return true;
}
