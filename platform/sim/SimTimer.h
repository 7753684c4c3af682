#pragma once
#include <string>

#include "platform/sim/SimClock.h"
#include "platform/ui/Controls.h"

namespace sim {

// A periodic timer of one form, scheduled on the machine's clock.
class SimTimer final : public ui::Timer {
public:
    SimTimer(SimClock& clock, ProcessId process, std::string name, int intervalMs, bool enabled);
    ~SimTimer() override;
    SimTimer(const SimTimer&) = delete;
    SimTimer& operator=(const SimTimer&) = delete;

    const std::string& name() const override { return m_name; }
    void setEnabled(bool on) override;
    bool isEnabled() const override { return m_enabled; }
    int interval() const override { return m_interval; }
    void onTick(ui::Handler handler) override { m_onTick = std::move(handler); }

private:
    void tick();

    SimClock& m_clock;
    SimClock::TimerId m_id;
    std::string m_name;
    int m_interval;
    bool m_enabled = false;
    ui::Handler m_onTick;
};

}  // namespace sim
