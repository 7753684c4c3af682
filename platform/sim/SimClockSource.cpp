#include "platform/sim/SimClockSource.h"

namespace sim {

// The machine was started a minute before the scheduler's time 0, as the program starts after logon.
SimClockSource::SimClockSource(const SimClock& scheduler)
    : m_scheduler(scheduler),
      m_wallAtSchedulerZero(kDefaultWallClockMs - scheduler.now()),
      m_bootedAt(scheduler.now() - 60000) {}

int64_t SimClockSource::utcNowMs() {
    return m_wallAtSchedulerZero + m_scheduler.now();
}

int64_t SimClockSource::uptimeMs() {
    return m_scheduler.now() - m_bootedAt;
}

void SimClockSource::setWallClock(int64_t utcMs) {
    m_wallAtSchedulerZero = utcMs - m_scheduler.now();
}

void SimClockSource::reboot() {
    m_bootedAt = m_scheduler.now();
    ++m_boots;
}

}  // namespace sim
