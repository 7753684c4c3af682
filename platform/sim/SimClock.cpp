#include "platform/sim/SimClock.h"

#include <algorithm>
#include <utility>

#include "platform/sim/ProcessExited.h"

namespace sim {

SimClock::TimerId SimClock::addTimer(ProcessId process, std::function<void()> tick) {
    const TimerId id = m_nextTimer++;
    m_timers[id] = Timer{process, std::move(tick), 0, std::nullopt, false};
    return id;
}

void SimClock::removeTimer(TimerId timer) {
    m_timers.erase(timer);
}

void SimClock::armTimer(TimerId timer, int intervalMs) {
    auto found = m_timers.find(timer);
    if (found == m_timers.end()) return;
    found->second.interval = intervalMs;
    found->second.due = intervalMs > 0 ? std::optional<int64_t>(m_now + intervalMs) : std::nullopt;
}

void SimClock::disarmTimer(TimerId timer) {
    auto found = m_timers.find(timer);
    if (found != m_timers.end()) found->second.due.reset();
}

void SimClock::post(ProcessId process, std::function<void()> event) {
    m_events.push_back({process, std::move(event)});
}

void SimClock::runPending(ProcessId caller) {
    throwIfEnded(caller);
    while (runOne(caller)) {
    }
}

void SimClock::waitNext(ProcessId caller) {
    throwIfEnded(caller);
    const bool eventQueued =
        std::any_of(m_events.begin(), m_events.end(), [this](const Event& event) { return !hasEnded(event.process); });
    if (!eventQueued) {
        const std::optional<int64_t> due = earliestDue();
        if (!due) return;
        m_now = std::max(m_now, *due);
    }
    runPending(caller);
}

void SimClock::advance(int64_t ms, ProcessId caller) {
    const int64_t until = m_now + std::max<int64_t>(ms, 0);
    runPending(caller);
    for (std::optional<int64_t> due = earliestDue(); due && *due <= until; due = earliestDue()) {
        m_now = std::max(m_now, *due);
        runPending(caller);
    }
    m_now = until;
    runPending(caller);
}

void SimClock::endProcess(ProcessId process, int code) {
    m_ended.emplace(process, code);
    std::erase_if(m_events, [process](const Event& event) { return event.process == process; });
}

std::optional<int> SimClock::exitCode(ProcessId process) const {
    auto found = m_ended.find(process);
    if (found == m_ended.end()) return std::nullopt;
    return found->second;
}

// Posted events go before timers, as Windows delivers posted messages before WM_TIMER.
bool SimClock::runOne(ProcessId caller) {
    while (!m_events.empty()) {
        Event event = std::move(m_events.front());
        m_events.pop_front();
        if (hasEnded(event.process)) continue;
        dispatch(event.run, caller);
        return true;
    }
    if (std::optional<TimerId> timer = nextDueTimer()) {
        fire(*timer, caller);
        return true;
    }
    return false;
}

// A tick that falls due while its own handler still runs (the handler lets events run) is dropped,
// and the timer's next tick comes one interval later.
std::optional<SimClock::TimerId> SimClock::nextDueTimer() {
    std::optional<TimerId> next;
    int64_t nextDue = 0;
    for (auto& [id, timer] : m_timers) {
        if (!ticks(timer) || *timer.due > m_now) continue;
        if (timer.running) {
            timer.due = m_now + timer.interval;
            continue;
        }
        if (!next || *timer.due < nextDue) {
            next = id;
            nextDue = *timer.due;
        }
    }
    return next;
}

bool SimClock::ticks(const Timer& timer) const {
    return timer.due && !hasEnded(timer.process) && m_stoppedTicks.count(timer.process) == 0;
}

std::optional<int64_t> SimClock::earliestDue() const {
    std::optional<int64_t> earliest;
    for (const auto& [id, timer] : m_timers) {
        if (!ticks(timer)) continue;
        if (!earliest || *timer.due < *earliest) earliest = timer.due;
    }
    return earliest;
}

// The entry is looked up again after the handler: the handler may have destroyed its own timer.
void SimClock::fire(TimerId id, ProcessId caller) {
    Timer& timer = m_timers.at(id);
    timer.due = m_now + timer.interval;
    timer.running = true;
    const std::function<void()> tick = timer.tick;
    struct Running {
        SimClock& clock;
        TimerId id;
        ~Running() {
            auto found = clock.m_timers.find(id);
            if (found != clock.m_timers.end()) found->second.running = false;
        }
    } running{*this, id};
    dispatch(tick, caller);
}

void SimClock::dispatch(const std::function<void()>& work, ProcessId caller) {
    try {
        work();
    } catch (const ProcessExited&) {
        // The process that threw has already ended; only the caller's own end goes further.
    }
    throwIfEnded(caller);
}

void SimClock::throwIfEnded(ProcessId caller) const {
    if (caller == 0) return;
    auto found = m_ended.find(caller);
    if (found != m_ended.end()) throw ProcessExited{found->second};
}

}  // namespace sim
