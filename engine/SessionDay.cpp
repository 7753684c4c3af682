#include "engine/SessionDay.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <limits>

namespace {

constexpr int64_t kMsPerDay = 86'400'000;
constexpr int64_t kMsPerMinute = 60'000;
// Time zones of the world lie between UTC-12 and UTC+14; anything stored beyond that is damaged.
constexpr int kMaxOffsetMinutes = 18 * 60;

int64_t floorDiv(int64_t a, int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

template <class T>
std::optional<T> parseWhole(std::string_view text) {
    T value{};
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+') return std::nullopt;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last) return std::nullopt;
    return value;
}

std::optional<int> storedOffset(const std::string& text) {
    const std::optional<int> minutes = parseWhole<int>(text);
    if (!minutes || *minutes < -kMaxOffsetMinutes || *minutes > kMaxOffsetMinutes) return std::nullopt;
    return minutes;
}

}  // namespace

std::optional<int64_t> parseIsoDay(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    for (size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u}) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
    }
    const auto y = parseWhole<int>(text.substr(0, 4));
    const auto m = parseWhole<unsigned>(text.substr(5, 2));
    const auto d = parseWhole<unsigned>(text.substr(8, 2));
    const std::chrono::year_month_day date{std::chrono::year{*y}, std::chrono::month{*m}, std::chrono::day{*d}};
    if (!date.ok()) return std::nullopt;
    return std::chrono::sys_days{date}.time_since_epoch().count();
}

std::string isoDate(int64_t day) {
    const std::chrono::year_month_day date{std::chrono::sys_days{std::chrono::days{day}}};
    char text[16] = {};
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return text;
}

int64_t localDay(int64_t utcMs, int offsetMinutes) {
    return floorDiv(utcMs + static_cast<int64_t>(offsetMinutes) * kMsPerMinute, kMsPerDay);
}

// An uptime that went back belongs to another boot whatever the token says.
int64_t trustedNowMs(const DayRecord& stored, const ClockReading& clock) {
    const std::optional<int64_t> lastUtc = parseWhole<int64_t>(stored.lastTickUtc);
    if (!lastUtc) return clock.utcMs;
    const std::optional<int64_t> lastUptime = parseWhole<int64_t>(stored.lastTickUptime);
    const bool sameBoot = !clock.bootToken.empty() && stored.lastTickBoot == clock.bootToken && lastUptime &&
                          *lastUptime >= 0 && clock.uptimeMs >= *lastUptime;
    if (sameBoot) return *lastUtc + (clock.uptimeMs - *lastUptime);
    return std::max(clock.utcMs, *lastUtc);
}

// The day is read at the time zone the count began in, so moving the zone never moves the day. A new
// day's stamp is never earlier than the day that ended, whichever zone is in force now: the stamps only
// go forward, and a change of zone gains at most the difference of the two offsets once.
DayDecision decideDay(const DayRecord& stored, const ClockReading& clock) {
    DayDecision decision;
    decision.trustedNowMs = trustedNowMs(stored, clock);
    const int countOffset = storedOffset(stored.dateOffset).value_or(clock.offsetMinutes);
    const int64_t today = localDay(decision.trustedNowMs, countOffset);
    const std::optional<int64_t> storedDay = parseIsoDay(stored.date);
    decision.sameDay = storedDay && today <= *storedDay;
    decision.newOffsetMinutes = clock.offsetMinutes;
    decision.newDate = isoDate(std::max(today, localDay(decision.trustedNowMs, clock.offsetMinutes)));
    return decision;
}

std::optional<int16_t> parseMinutes(std::string_view text) {
    return parseWhole<int16_t>(text);
}
