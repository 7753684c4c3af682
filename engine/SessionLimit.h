#pragma once
#include <cstdint>
#include <string>

#include "engine/CountdownWindow.h"
#include "common/ProgramState.h"
#include "engine/SessionDay.h"
#include "common/SuperShell.h"
#include "platform/Platform.h"

// The daily allowance of this Windows user: counted in minutes from the program's start, kept per calendar
// day, and locking the session behind the password when it is used up.
class SessionLimit final {
public:
    SessionLimit(Platform& platform, ProgramState& state, ui::Form& configWindow, PasswordDialogLauncher& launcher);
    // The start step, while the configuration window loads and before the watch runs.
    void start();
    void tmrTimerTick();
    void txtrelockChange();
    CountdownWindow& countdown() { return m_countdown; }

private:
    void showCountdown(const std::string& text);
    void expiryLock();
    void storeLastTick(int64_t trustedNowMs, const ClockReading& clock);
    ClockReading readClock();
    DayRecord readRecord();
    std::string get(const char* name);
    void set(const char* name, const std::string& text);

    Platform& m_platform;
    ProgramState& m_state;
    PasswordDialogLauncher& m_launcher;
    ui::TextBox& txtrelock;
    ui::Timer& tmrTimer;
    CountdownWindow m_countdown;
    int16_t m_minutesLeft = 0;
    DayRecord m_lastTick;  // where the clocks stood at the last minute counted in this run
};
