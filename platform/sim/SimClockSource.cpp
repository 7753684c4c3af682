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

// The picture letters Windows knows for days, months and years; anything else is copied as it stands.
std::string SimClockSource::formatDate(const CivilTime& date, std::string_view picture) {
    auto twoDigits = [](int value) {
        std::string digits = std::to_string(value);
        if (value < 10) digits.insert(digits.begin(), '0');
        return digits;
    };
    std::string text;
    size_t at = 0;
    while (at < picture.size()) {
        const char letter = picture[at];
        size_t run = 1;
        while (at + run < picture.size() && picture[at + run] == letter) ++run;
        at += run;
        const std::string& month = m_monthNames.at(static_cast<size_t>(date.month - 1));
        if (letter == 'd') {
            text += run == 1 ? std::to_string(date.day) : twoDigits(date.day);
        } else if (letter == 'M') {
            text += run == 1 ? std::to_string(date.month) : run == 2 ? twoDigits(date.month)
                                                         : run == 3 ? month.substr(0, 3)
                                                                    : month;
        } else if (letter == 'y') {
            text += run <= 2 ? twoDigits(date.year % 100) : std::to_string(date.year);
        } else {
            text.append(run, letter);
        }
    }
    return text;
}

void SimClockSource::reboot() {
    m_bootedAt = m_scheduler.now();
    ++m_boots;
}

}  // namespace sim
