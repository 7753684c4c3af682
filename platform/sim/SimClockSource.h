#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/IClock.h"
#include "platform/sim/SimClock.h"

namespace sim {

// The machine's wall clock, time zone, uptime, boot and bell, moving with the scheduler's virtual time.
// Tests set the wall clock and the time zone as a user would and restart the machine with reboot().
class SimClockSource final : public IClock {
public:
    // 2026-03-10 08:00 UTC: a working day, clear of daylight-saving changes and of midnight.
    static constexpr int64_t kDefaultWallClockMs = 1773129600000;

    explicit SimClockSource(const SimClock& scheduler);

    int64_t utcNowMs() override;
    int utcOffsetMinutes() override { return m_offsetMinutes; }
    int64_t uptimeMs() override;
    std::string bootToken() override { return "boot-" + std::to_string(m_boots); }
    std::string formatDate(const CivilTime& date, std::string_view picture) override;
    void beep() override { ++m_beeps; }

    // The wall clock reads `utcMs` now and runs on from there with the scheduler.
    void setWallClock(int64_t utcMs);
    void setUtcOffsetMinutes(int minutes) { m_offsetMinutes = minutes; }
    // A new boot: the uptime starts again from 0 and the boot token changes; the wall clock runs on.
    void reboot();
    int beeps() const { return m_beeps; }
    // The user's language as far as dates go: the twelve full month names, January first (English unless set).
    void setMonthNames(const std::array<std::string, 12>& names) { m_monthNames = names; }

private:
    const SimClock& m_scheduler;
    int64_t m_wallAtSchedulerZero;
    int64_t m_bootedAt;
    int m_offsetMinutes = 0;
    int m_boots = 1;
    int m_beeps = 0;
    std::array<std::string, 12> m_monthNames{"January", "February", "March",     "April",   "May",      "June",
                                             "July",    "August",   "September", "October", "November", "December"};
};

}  // namespace sim
