// The daily session allowance on the simulated machine: counted from the start, kept for the day across
// restarts, locking the session when used up, and never renewed by moving the clock or the time zone.
#include "engine/SessionLimit.h"

#include <gtest/gtest.h>

#include "registry/RegistryEdit.h"
#include "tests/support/Accounts.h"
#include "tests/support/RunningProgram.h"

namespace {

constexpr const char* kSetting = "Software\\VB and VBA Program Settings\\obelon\\setting";
constexpr int64_t kMinute = 60'000;
constexpr int64_t kHour = 60 * kMinute;
constexpr int64_t kDay = 24 * kHour;
constexpr int64_t kMar10 = sim::SimClockSource::kDefaultWallClockMs - 8 * kHour;  // 2026-03-10 00:00 UTC
constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kBlue = 0xFF0000;

class SessionLimitScenario : public ::testing::Test {
protected:
    // The limit is the administrator's, kept machine-wide for the account; the day's count is the user's own.
    void setValue(const char* name, const std::string& text) {
        if (std::string(name) == "timer") {
            SetStringValue(world.registry, RootKey::LocalMachine, testsupport::accountKey(), name, text);
        } else {
            SetStringValue(world.registry, RootKey::CurrentUser, kSetting, name, text);
        }
    }
    std::string value(const char* name) { return GetStringValue(world.registry, RootKey::CurrentUser, kSetting, name); }
    void start() {
        program = testsupport::startProgram(world);
        ASSERT_TRUE(program.running);
    }
    void stop() { program.stop(); }
    void restart() {
        stop();
        start();
    }
    void ticks(int minutes) { world.advance(minutes * kMinute); }
    sim::SimForm* countdown() {
        return program.process ? program.process->toolkit().findForm("frmtickCount") : nullptr;
    }
    bool countdownShown() { return countdown() && countdown()->isVisible(); }
    sim::SimLabel& countdownLabel() { return *sim::control<sim::SimLabel>(*countdown(), "txttickCount"); }
    std::string shown() { return countdownShown() ? countdownLabel().text() : "(no countdown)"; }
    sim::SimForm* dialog() { return program.passwordDialog(); }
    // Over the whole screen, in front of everything, and only the password ends it.
    bool expiredLockShown() {
        return dialog() && dialog()->isVisible() && dialog()->coversScreen() &&
               world.desktop.isTopmost(dialog()->id()) &&
               dialog()->findControl("lblTask")->text() == "Expired Windows\xC2\xAE Session" &&
               !dialog()->findControl("cmdCancelPWD")->isEnabled();
    }
    void answer(const std::string& password) { program.answerPassword(password); }
    bool timerOn() { return program.configForm().findTimer("tmrTimer")->isEnabled(); }

    sim::SimWorld world;
    testsupport::RunningProgram program;
};

TEST_F(SessionLimitScenario, NoLimitCountsNothingAndLeavesTheDayAlone) {
    for (const char* limit : {"", "0"}) {
        setValue("timer", limit);
        setValue("date", "2026-03-01");
        setValue("tickCount", "7");
        start();
        ticks(3);
        EXPECT_FALSE(countdownShown()) << limit;
        EXPECT_FALSE(timerOn());
        ASSERT_TRUE(program.openLock());
        EXPECT_EQ(program.openLock()->mode, LockMode::Configuration);
        EXPECT_EQ(value("date"), "2026-03-01");
        EXPECT_EQ(value("tickCount"), "7");
        EXPECT_EQ(program.configForm().findControl("txtrelock")->text(), "0");
        stop();
    }
}

TEST_F(SessionLimitScenario, ThirtyMinutesTurnRedAtNineAndLockAtTheThirtiethTick) {
    setValue("timer", "30");
    // The user's own hive is his to write: a limit there neither lifts nor changes the administrator's.
    SetStringValue(world.registry, RootKey::CurrentUser, kSetting, "timer", "0");
    start();
    EXPECT_EQ(shown(), "30 Minutes.");
    EXPECT_EQ(countdownLabel().foreColor(), kBlue);
    EXPECT_EQ(countdown()->caption(), "Time left:");
    EXPECT_FALSE(countdown()->clickClose());
    EXPECT_EQ(value("tickCount"), "30");
    EXPECT_EQ(value("date"), "2026-03-10");
    ticks(20);
    EXPECT_EQ(countdownLabel().foreColor(), kBlue);
    EXPECT_EQ(world.systemClock.beeps(), 0);
    ticks(1);
    EXPECT_EQ(shown(), "9 Minutes.");
    EXPECT_EQ(countdownLabel().foreColor(), kRed);
    EXPECT_EQ(world.systemClock.beeps(), 1);
    EXPECT_EQ(value("tickCount"), "9");

    (void)world.desktop.showWindowAsync(countdown()->id(), ShowCommand::Minimize);
    world.advance(0);
    EXPECT_EQ(countdown()->caption(), "You have 9 Minutes.");
    (void)world.desktop.showWindowAsync(countdown()->id(), ShowCommand::Restore);
    world.advance(0);
    EXPECT_EQ(countdown()->caption(), "Time left:");

    ticks(8);
    EXPECT_FALSE(expiredLockShown());
    ticks(1);
    EXPECT_TRUE(expiredLockShown());
    EXPECT_TRUE(program.app->state().startupLockDone);
    EXPECT_FALSE(countdownShown());
    EXPECT_FALSE(timerOn());
    EXPECT_EQ(value("tickCount"), "0");
    EXPECT_EQ(world.systemClock.beeps(), 10);

    // The configuration's own dialog, which every start opens, waited behind it.
    answer("bluejay");
    ASSERT_TRUE(program.openLock());
    EXPECT_EQ(program.openLock()->mode, LockMode::Configuration);
    program.cancelPasswordDialogs();
    ticks(5);
    EXPECT_FALSE(program.openLock());
    EXPECT_EQ(world.systemClock.beeps(), 10);
}

TEST_F(SessionLimitScenario, ARestartTheSameDayGoesOnAndOnceUsedUpLocksAtOnce) {
    setValue("timer", "30");
    // The hidden start-up lock would label the dialog otherwise.
    SetStringValue(world.registry, RootKey::LocalMachine, "Software\\OBP\\IgnoreList", "Task999", "1");
    start();
    ticks(10);
    restart();
    EXPECT_EQ(shown(), "20 Minutes.");
    ticks(20);
    EXPECT_TRUE(expiredLockShown());

    restart();
    EXPECT_FALSE(countdownShown());
    EXPECT_TRUE(expiredLockShown());
    // The configuration access check waits behind it instead of taking the dialog over.
    EXPECT_EQ(program.waitingLocks(), 1u);
    EXPECT_TRUE(timerOn());
    ticks(1);
    EXPECT_TRUE(expiredLockShown());
    EXPECT_EQ(program.waitingLocks(), 1u);
    EXPECT_FALSE(timerOn());
    EXPECT_EQ(value("tickCount"), "0");
}

TEST_F(SessionLimitScenario, ANegativeLimitStartsRedAndLocksAtTheFirstTick) {
    setValue("timer", "-5");
    start();
    EXPECT_EQ(shown(), "-5 Minutes.");
    EXPECT_EQ(countdownLabel().foreColor(), kRed);
    EXPECT_EQ(program.configForm().findControl("txtrelock")->text(), "-5");
    ticks(1);
    EXPECT_TRUE(expiredLockShown());
    EXPECT_EQ(value("tickCount"), "-6");
}

TEST_F(SessionLimitScenario, TheNextCalendarDayBringsTheFullAllowanceInAnyYear) {
    setValue("timer", "30");
    setValue("date", "12:06:26");  // a stamp in another form counts as another day
    setValue("tickCount", "3");
    world.systemClock.setWallClock(kMar10 + 23 * kHour + 50 * kMinute);
    start();
    EXPECT_EQ(shown(), "30 Minutes.");
    ticks(20);  // midnight passes during the session: the running count goes on
    EXPECT_EQ(shown(), "10 Minutes.");
    EXPECT_EQ(value("date"), "2026-03-10");
    restart();
    EXPECT_EQ(shown(), "30 Minutes.");
    EXPECT_EQ(value("date"), "2026-03-11");

    stop();
    world.systemClock.setWallClock(2'886'051'600'000);  // 2061-06-15 09:00 UTC
    world.systemClock.reboot();
    start();
    EXPECT_EQ(value("date"), "2061-06-15");
    ticks(4);
    restart();
    EXPECT_EQ(shown(), "26 Minutes.");
    // An unreadable count on the same day means nothing is left.
    stop();
    setValue("tickCount", "many");
    start();
    EXPECT_TRUE(expiredLockShown());
}

TEST_F(SessionLimitScenario, MovingTheTimeZoneEitherWayKeepsTheMinutesLeft) {
    setValue("timer", "30");
    world.systemClock.setWallClock(kMar10 + 11 * kHour);
    start();
    ticks(10);
    stop();
    world.systemClock.setUtcOffsetMinutes(14 * 60);  // local time is 01:10 on the next day
    start();
    EXPECT_EQ(shown(), "20 Minutes.");
    ticks(5);
    stop();
    world.systemClock.setUtcOffsetMinutes(-12 * 60);  // local time is 23:15 on the day before
    start();
    EXPECT_EQ(shown(), "15 Minutes.");
    // The real next day, by the zone the day was counted in, is a new day; it is counted in today's zone.
    stop();
    world.advance(13 * kHour);
    start();
    EXPECT_EQ(shown(), "30 Minutes.");
    EXPECT_EQ(value("date"), "2026-03-11");
    EXPECT_EQ(value("dateOffset"), "-720");
}

TEST_F(SessionLimitScenario, SettingTheClockADayBackOrForwardKeepsTheMinutesLeft) {
    setValue("timer", "30");
    start();
    ticks(10);
    stop();
    world.systemClock.setWallClock(world.systemClock.utcNowMs() + kDay);
    start();
    EXPECT_EQ(shown(), "20 Minutes.");
    ticks(5);
    world.systemClock.setWallClock(world.systemClock.utcNowMs() - 2 * kDay);
    restart();
    EXPECT_EQ(shown(), "15 Minutes.");
    // After a restart of the machine only the uptime is new: a clock behind the last minute counted
    // still stands at that minute.
    stop();
    world.systemClock.reboot();
    start();
    EXPECT_EQ(shown(), "15 Minutes.");
    EXPECT_EQ(value("date"), "2026-03-10");
}

}  // namespace

// Another program's window brought forward, even one that stays on top, or the dialog minimized by another
// program, does not uncover the expired session for more than a moment.
TEST_F(SessionLimitScenario, TheExpiredSessionComesBackToTheFrontWithinASecond) {
    setValue("timer", "1");
    start();
    ticks(1);
    ASSERT_TRUE(expiredLockShown());
    const WindowId notepad = world.desktop.createWindow("Untitled - Notepad", "Notepad");
    (void)world.desktop.setTopmost(notepad, true);
    ASSERT_EQ(world.desktop.topLevelWindows().front(), notepad);
    world.advance(1000);
    EXPECT_EQ(world.desktop.topLevelWindows().front(), dialog()->id());
    EXPECT_GT(world.desktop.flashes(dialog()->id()), 0);  // the keyboard is Notepad's until the user clicks
    (void)world.desktop.showWindowAsync(dialog()->id(), ShowCommand::Minimize);
    world.advance(1000);
    EXPECT_EQ(dialog()->windowState(), ui::WindowState::Normal);
    EXPECT_TRUE(expiredLockShown());
}
