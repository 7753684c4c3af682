#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>

namespace sim {

using ProcessId = uint32_t;

// Virtual time in milliseconds and the machine's one scheduler: the periodic timers and queued
// events of every simulated process. Nothing runs on its own: code runs when someone lets
// pending work run (runPending), waits (waitNext) or moves time on (advance).
//
// Caller: the process whose code asks (0 for the test itself). When that process ends during the
// call, sim::ProcessExited is thrown to unwind its code; another process ending is absorbed.
class SimClock {
public:
    using TimerId = uint64_t;

    int64_t now() const { return m_now; }

    TimerId addTimer(ProcessId process, std::function<void()> tick);
    void removeTimer(TimerId timer);
    // First tick interval from now; an interval of 0 never ticks.
    void armTimer(TimerId timer, int intervalMs);
    void disarmTimer(TimerId timer);
    void post(ProcessId process, std::function<void()> event);

    // Queued events first, then every timer due now, in due order (ties: creation order).
    void runPending(ProcessId caller);
    // Runs what is pending, else moves time to the next tick of any process; returns at once if none.
    void waitNext(ProcessId caller);
    // Moves time on, stopping at each due tick on the way.
    void advance(int64_t ms, ProcessId caller);

    // No event or tick of this process runs again.
    void endProcess(ProcessId process, int code);
    // The process's timers tick no more; its queued events still run. As after WM_QUIT, which a thread's message
    // retrieval returns before any WM_TIMER.
    void stopTicks(ProcessId process) { m_stoppedTicks.insert(process); }
    bool hasEnded(ProcessId process) const { return m_ended.count(process) != 0; }
    std::optional<int> exitCode(ProcessId process) const;

private:
    struct Timer {
        ProcessId process = 0;
        std::function<void()> tick;
        int interval = 0;
        std::optional<int64_t> due;
        bool running = false;
    };
    struct Event {
        ProcessId process = 0;
        std::function<void()> run;
    };
    bool runOne(ProcessId caller);
    bool ticks(const Timer& timer) const;
    std::optional<TimerId> nextDueTimer();
    std::optional<int64_t> earliestDue() const;
    void fire(TimerId timer, ProcessId caller);
    void dispatch(const std::function<void()>& work, ProcessId caller);
    void throwIfEnded(ProcessId caller) const;

    int64_t m_now = 0;
    TimerId m_nextTimer = 1;
    std::map<TimerId, Timer> m_timers;  // ids grow, so the map runs in creation order
    std::deque<Event> m_events;
    std::map<ProcessId, int> m_ended;
    std::set<ProcessId> m_stoppedTicks;
};

}  // namespace sim
