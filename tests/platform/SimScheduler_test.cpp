// The machine-wide scheduler: the order timers fire in, what letting events run does and does not do.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/SimMachine.h"

namespace {

using testsupport::SimMachine;

class SimScheduler : public SimMachine {
protected:
    // A form with a timer that logs "<name>@<now>" on every tick.
    ui::Timer& loggingTimer(ui::Form& form, const std::string& name, int interval) {
        ui::Timer& timer = form.addTimer(name, interval, true);
        timer.onTick([this, name] { log.push_back(name + "@" + std::to_string(world.now())); });
        return timer;
    }

    std::vector<std::string> log;
};

TEST_F(SimScheduler, AdvanceFiresTicksInTimeOrderWithTiesInCreationOrder) {
    sim::SimInstance& app = startProcess();
    auto form = app.toolkit().createForm({.name = "frmA"});
    loggingTimer(*form, "slow", 300);
    loggingTimer(*form, "first", 100);
    loggingTimer(*form, "second", 100);
    world.advance(300);
    EXPECT_EQ(log, (std::vector<std::string>{"first@100", "second@100", "first@200", "second@200", "slow@300",
                                             "first@300", "second@300"}));
    EXPECT_EQ(world.now(), 300);
}

TEST_F(SimScheduler, ProcessEventsRunsOnlyWhatIsDueAndNeverMovesTime) {
    sim::SimInstance& app = startProcess();
    auto form = app.toolkit().createForm({.name = "frmA"});
    loggingTimer(*form, "t", 100);
    app.toolkit().processEvents();
    world.advance(99);
    app.toolkit().processEvents();
    EXPECT_TRUE(log.empty());
    world.advance(1);
    EXPECT_EQ(log, std::vector<std::string>{"t@100"});
    EXPECT_EQ(world.now(), 100);
}

TEST_F(SimScheduler, TicksOfEveryProcessShareOneClock) {
    sim::SimInstance& first = startProcess();
    sim::SimInstance& second = startProcess();
    auto a = first.toolkit().createForm({.name = "frmA"});
    auto b = second.toolkit().createForm({.name = "frmB"});
    loggingTimer(*a, "a", 500);
    loggingTimer(*b, "b", 200);
    first.toolkit().waitForEvent();
    first.toolkit().waitForEvent();
    first.toolkit().waitForEvent();
    EXPECT_EQ(log, (std::vector<std::string>{"b@200", "b@400", "a@500"}));
}

TEST_F(SimScheduler, WaitWithNoTimerEnabledAnywhereReturnsAtOnce) {
    sim::SimInstance& app = startProcess();
    auto form = app.toolkit().createForm({.name = "frmA"});
    form->addTimer("off", 100, false);
    form->addTimer("zero", 0, true);
    app.toolkit().waitForEvent();
    EXPECT_EQ(world.now(), 0);
}

TEST_F(SimScheduler, HandlerCanStopItsOwnTimerAndEnablingAgainStartsFromNow) {
    sim::SimInstance& app = startProcess();
    auto form = app.toolkit().createForm({.name = "frmA"});
    ui::Timer& timer = form->addTimer("once", 100, true);
    int ticks = 0;
    timer.onTick([&] {
        ++ticks;
        timer.setEnabled(false);
    });
    world.advance(1000);
    EXPECT_EQ(ticks, 1);
    timer.setEnabled(true);
    world.advance(99);
    EXPECT_EQ(ticks, 1);
    world.advance(1);
    EXPECT_EQ(ticks, 2);
}

TEST_F(SimScheduler, EnablingARunningTimerKeepsItsPeriod) {
    sim::SimInstance& app = startProcess();
    auto form = app.toolkit().createForm({.name = "frmA"});
    ui::Timer& timer = loggingTimer(*form, "t", 100);
    world.advance(60);
    timer.setEnabled(true);
    world.advance(40);
    EXPECT_EQ(log, std::vector<std::string>{"t@100"});
}

// A handler that waits lets the other timers run; its own tick falling due meanwhile is dropped.
TEST_F(SimScheduler, WaitInsideAHandlerRunsOtherTimersButNotItsOwn) {
    sim::SimInstance& app = startProcess();
    auto form = app.toolkit().createForm({.name = "frmA"});
    ui::Timer& waiting = form->addTimer("waiting", 100, true);
    loggingTimer(*form, "other", 150);
    int entered = 0;
    waiting.onTick([&] {
        ++entered;
        log.push_back("wait@" + std::to_string(world.now()));
        const int64_t until = world.now() + 250;
        while (world.now() < until) app.toolkit().waitForEvent();
        log.push_back("done@" + std::to_string(world.now()));
        waiting.setEnabled(false);
    });
    world.advance(500);
    EXPECT_EQ(entered, 1);
    EXPECT_EQ(log, (std::vector<std::string>{"wait@100", "other@150", "other@300", "done@400", "other@450"}));
}

TEST_F(SimScheduler, PostedCloseRunsBeforeDueTimersAndOnlyWhenEventsRun) {
    sim::SimInstance& app = startProcess();
    auto form = app.toolkit().createForm({.name = "frmA"});
    loggingTimer(*form, "t", 100);
    form->onCloseRequest([this] { log.push_back("close@" + std::to_string(world.now())); });
    world.advance(99);
    EXPECT_TRUE(world.desktop.postClose(form->id()));
    EXPECT_TRUE(log.empty());
    world.advance(1);
    EXPECT_EQ(log, (std::vector<std::string>{"close@99", "t@100"}));
}

TEST_F(SimScheduler, WaitRunsAQueuedEventWithoutMovingTime) {
    sim::SimInstance& app = startProcess();
    auto form = app.toolkit().createForm({.name = "frmA"});
    loggingTimer(*form, "t", 100);
    form->onCloseRequest([this] { log.push_back("close@" + std::to_string(world.now())); });
    (void)world.desktop.postClose(form->id());
    app.toolkit().waitForEvent();
    EXPECT_EQ(log, std::vector<std::string>{"close@0"});
    app.toolkit().waitForEvent();
    EXPECT_EQ(log, (std::vector<std::string>{"close@0", "t@100"}));
}

TEST_F(SimScheduler, DestroyedFormNeitherTicksNorHearsItsQueuedClose) {
    sim::SimInstance& app = startProcess();
    auto form = app.toolkit().createForm({.name = "frmA"});
    loggingTimer(*form, "t", 100);
    int closes = 0;
    form->onCloseRequest([&] { ++closes; });
    (void)world.desktop.postClose(form->id());
    const WindowId id = form->id();
    form.reset();
    world.advance(1000);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(closes, 0);
    EXPECT_FALSE(world.desktop.isWindow(id));
}

TEST_F(SimScheduler, TickMayDestroyItsOwnForm) {
    sim::SimInstance& app = startProcess();
    auto form = app.toolkit().createForm({.name = "frmA"});
    int ticks = 0;
    form->addTimer("t", 100, true).onTick([&] {
        ++ticks;
        form.reset();
    });
    world.advance(300);
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(form, nullptr);
}

TEST_F(SimScheduler, TimerDestroyedByAnotherHandlerInTheSameTickDoesNotFire) {
    sim::SimInstance& app = startProcess();
    auto victim = app.toolkit().createForm({.name = "frmVictim"});
    auto killer = app.toolkit().createForm({.name = "frmKiller"});
    ui::Timer& first = killer->addTimer("first", 100, true);
    first.onTick([&] { victim.reset(); });
    loggingTimer(*victim, "victim", 100);
    world.advance(100);
    EXPECT_TRUE(log.empty());
}

}  // namespace
