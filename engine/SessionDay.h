#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The clock as read once: wall clock, time zone, uptime and boot.
struct ClockReading {
    int64_t utcMs = 0;
    int offsetMinutes = 0;
    int64_t uptimeMs = 0;
    std::string bootToken;
};

// What was stored with the count: the day it belongs to, the time zone in force when that day's count
// began, and where the clocks stood at the last minute counted. Texts as stored; any of them may be
// missing or damaged.
struct DayRecord {
    std::string date;
    std::string dateOffset;
    std::string lastTickUtc;
    std::string lastTickUptime;
    std::string lastTickBoot;
};

// Days since 1970-01-01 of an ISO date "YYYY-MM-DD"; nothing for any other text or an impossible date.
std::optional<int64_t> parseIsoDay(std::string_view text);
std::string isoDate(int64_t day);
// The local calendar day, counted from 1970-01-01, of a UTC time at a time-zone offset.
int64_t localDay(int64_t utcMs, int offsetMinutes);
// Now, by a clock the user cannot set back: the uptime carries the time on within one boot, and across
// boots the wall clock counts only where it is later than the last minute counted.
int64_t trustedNowMs(const DayRecord& stored, const ClockReading& clock);

// The day decision: whether the stored count is today's, and the day and time zone a new count begins with.
struct DayDecision {
    bool sameDay = false;
    int64_t trustedNowMs = 0;
    std::string newDate;  // the stamp of a new day's count
    int newOffsetMinutes = 0;
};
DayDecision decideDay(const DayRecord& stored, const ClockReading& clock);

// A whole number as the count keeps it (-32768 to 32767); nothing when the text is none.
std::optional<int16_t> parseMinutes(std::string_view text);
