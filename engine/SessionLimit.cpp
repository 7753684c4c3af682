#include "engine/SessionLimit.h"

#include <limits>

#include "common/ConfigSchema.h"
#include "registry/RegistryEdit.h"

namespace {

constexpr const char* kSettingKey = "Software\\VB and VBA Program Settings\\obelon\\setting";
constexpr const char* kExpiredLabel = "Expired Windows\xC2\xAE Session";
constexpr int kRedFrom = 9;

std::string minutesText(const std::string& minutes) {
    return minutes + " Minutes.";
}

}  // namespace

SessionLimit::SessionLimit(Platform& platform, ProgramState& state, ui::Form& configWindow,
                           PasswordDialogLauncher& launcher)
    : m_platform(platform),
      m_state(state),
      m_launcher(launcher),
      txtrelock(configWindow.control<ui::TextBox>("txtrelock")),
      tmrTimer(*configWindow.findTimer("tmrTimer")),
      m_countdown(platform) {}

// A count already used up today locks at once, and the tick a minute later locks again and stops.
void SessionLimit::start() {
    const ClockReading clock = readClock();
    const DayRecord stored = readRecord();
    m_minutesLeft = parseMinutes(get("tickCount")).value_or(0);
    // The limit is the administrator's, stored machine-wide for this account; the day's count is the user's own.
    const std::string limitText = GetStringValue(m_platform.registry, RootKey::LocalMachine,
                                                 config::accountKey(m_platform.process.userSid()),
                                                 config::kSessionLimit);
    txtrelock.setText(limitText);
    if (limitText.empty() || limitText == "0") return;
    const DayDecision day = decideDay(stored, clock);
    if (day.sameDay) {
        if (m_minutesLeft > 0) {
            showCountdown(std::to_string(m_minutesLeft));
        } else {
            expiryLock();
        }
    } else {
        set("date", day.newDate);
        set("dateOffset", std::to_string(day.newOffsetMinutes));
        set("tickCount", limitText);
        m_minutesLeft = parseMinutes(limitText).value_or(0);
        showCountdown(limitText);
    }
    storeLastTick(day.trustedNowMs, clock);
    tmrTimer.setEnabled(true);
}

void SessionLimit::tmrTimerTick() {
    const ClockReading clock = readClock();
    if (m_minutesLeft <= 1) {
        expiryLock();
        tmrTimer.setEnabled(false);
        m_countdown.close();
    }
    if (m_minutesLeft != 0 && m_minutesLeft > std::numeric_limits<int16_t>::min()) {
        --m_minutesLeft;
        const bool last = m_minutesLeft <= kRedFrom;
        m_countdown.setText(minutesText(std::to_string(m_minutesLeft)), last);
        if (last) m_platform.clock.beep();
    }
    set("tickCount", std::to_string(m_minutesLeft));
    storeLastTick(trustedNowMs(m_lastTick, clock), clock);
}

// The box holds a whole number or "0"; a negative number is taken as it is.
void SessionLimit::txtrelockChange() {
    if (!parseMinutes(txtrelock.text())) txtrelock.setText("0");
}

void SessionLimit::showCountdown(const std::string& text) {
    m_countdown.show(minutesText(text), m_minutesLeft <= kRedFrom);
}

// The dialog covers the whole screen and only the password ends it; the start-up lock is not raised on top.
void SessionLimit::expiryLock() {
    m_launcher.raiseLock({.mode = LockMode::Task, .label = kExpiredLabel, .coversDesktop = true});
    m_state.startupLockDone = true;
}

// Kept beside the count, so that the next start of this boot carries the time on by the uptime alone.
void SessionLimit::storeLastTick(int64_t trustedNowMs, const ClockReading& clock) {
    m_lastTick.lastTickUtc = std::to_string(trustedNowMs);
    m_lastTick.lastTickUptime = std::to_string(clock.uptimeMs);
    m_lastTick.lastTickBoot = clock.bootToken;
    set("lastTickUtc", m_lastTick.lastTickUtc);
    set("lastTickUptime", m_lastTick.lastTickUptime);
    set("lastTickBoot", m_lastTick.lastTickBoot);
}

ClockReading SessionLimit::readClock() {
    IClock& clock = m_platform.clock;
    return {clock.utcNowMs(), clock.utcOffsetMinutes(), clock.uptimeMs(), clock.bootToken()};
}

DayRecord SessionLimit::readRecord() {
    return {get("date"), get("dateOffset"), get("lastTickUtc"), get("lastTickUptime"), get("lastTickBoot")};
}

std::string SessionLimit::get(const char* name) {
    return GetStringValue(m_platform.registry, RootKey::CurrentUser, kSettingKey, name);
}

// A refused write is lost: the count in this run goes on all the same.
void SessionLimit::set(const char* name, const std::string& text) {
    SetStringValue(m_platform.registry, RootKey::CurrentUser, kSettingKey, name, text);
}
