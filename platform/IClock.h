#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// A day and a time of day as a calendar shows them; month 1 is January.
struct CivilTime {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The machine's clocks and its bell. The wall clock and the time zone belong to the user, who may change
// them at any time; the uptime and the boot token do not, which is what a limit that the clock must not
// reset builds on.
class IClock {
public:
    virtual ~IClock() = default;
    // Wall clock: UTC milliseconds since 1970-01-01.
    virtual int64_t utcNowMs() = 0;
    // Local time minus UTC, in minutes, as in force now (daylight saving included): +60 in Paris in winter.
    virtual int utcOffsetMinutes() = 0;
    // Milliseconds since the machine started; never goes back while the boot token stays the same.
    virtual int64_t uptimeMs() = 0;
    // Stays the same until the machine restarts; "" when none can be had.
    virtual std::string bootToken() = 0;
    // The date in the user's language after a Windows date picture: "d-MMMM" gives "6-December".
    virtual std::string formatDate(const CivilTime& date, std::string_view picture) = 0;
    // The system beep.
    virtual void beep() = 0;
};
