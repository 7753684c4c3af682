#pragma once
#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "platform/sim/SimClock.h"
#include "platform/sim/SimClockSource.h"
#include "platform/sim/SimDesktop.h"
#include "platform/sim/SimRegistry.h"

namespace sim {

// One simulated machine: its registry, desktop and clock, shared by every process on it.
// Outlives the processes (SimInstance) made on it.
class SimWorld {
public:
    SimRegistry registry;
    SimDesktop desktop;
    SimClock clock;
    SimClockSource systemClock{clock};  // wall clock, time zone, uptime and boot, moving with `clock`

    // Moves the clock on, firing every timer of every process that falls due on the way, in time order.
    void advance(std::chrono::milliseconds span) { clock.advance(span.count(), 0); }
    void advance(int64_t ms) { clock.advance(ms, 0); }
    int64_t now() const { return clock.now(); }

    ProcessId newProcessId();
    // The one-per-session token, a named object: true when another live process already holds it.
    // The asker holds it too from then on; it is gone when the last holder has ended.
    bool claimInstanceToken(const std::string& programPath, ProcessId process);
    // The process's windows leave the desktop, its timers and events stop for good, its tokens go.
    void endProcess(ProcessId process, int code);
    bool hasEnded(ProcessId process) const { return clock.hasEnded(process); }
    std::optional<int> exitCode(ProcessId process) const { return clock.exitCode(process); }

private:
    ProcessId m_nextProcess = 1000;
    std::map<std::string, std::set<ProcessId>> m_tokens;
};

}  // namespace sim
