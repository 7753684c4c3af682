// Simulated processes: their end through exitProcess, what it takes with it, and the instance token.
#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/support/SimMachine.h"

namespace {

using testsupport::SimMachine;

using SimProcessEnd = SimMachine;

TEST_F(SimProcessEnd, ExitInOwnCodeStopsTheRestOfIt) {
    sim::SimInstance& app = startProcess();
    bool after = false;
    EXPECT_FALSE(app.run([&] {
        app.process().exitProcess(4);
        after = true;
    }));
    EXPECT_FALSE(after);
    EXPECT_TRUE(app.exited());
    EXPECT_EQ(app.exitCode(), 4);
    EXPECT_FALSE(app.run([&] { after = true; }));
    EXPECT_FALSE(after);
}

TEST_F(SimProcessEnd, ProgramsOwnCatchOfStandardErrorsLetsTheExitThrough) {
    sim::SimInstance& app = startProcess();
    bool swallowed = false;
    EXPECT_FALSE(app.run([&] {
        try {
            app.process().exitProcess(0);
        } catch (const std::exception&) {
            swallowed = true;
        }
    }));
    EXPECT_FALSE(swallowed);
}

TEST_F(SimProcessEnd, WindowsAndTimersGoButTheTrayIconStays) {
    sim::SimInstance& app = startProcess();
    auto form = app.toolkit().createForm({.name = "frmobelon", .caption = "Obelon"});
    form->show();
    int ticks = 0;
    ui::Timer& timer = form->addTimer("t", 100, true);
    timer.onTick([&] { ++ticks; });
    ASSERT_TRUE(app.shell().trayAdd({.owner = form->id(), .id = 1, .tip = "tip"}));
    const WindowId id = form->id();

    app.run([&] { app.process().exitProcess(0); });
    timer.setEnabled(false);
    timer.setEnabled(true);
    world.advance(1000);
    EXPECT_EQ(ticks, 0);
    EXPECT_FALSE(world.desktop.isWindow(id));
    EXPECT_EQ(world.desktop.foregroundWindow(), WindowId{});
    EXPECT_EQ(app.shell().trayIconCount(), 1);
    form->show();
    EXPECT_FALSE(form->isVisible());
}

// The second process waits; the first ends in a tick meanwhile; the waiting code goes on.
TEST_F(SimProcessEnd, ExitDuringAnotherProcessWaitEndsOnlyTheOneThatExited) {
    sim::SimInstance& ending = startProcess();
    sim::SimInstance& waiting = startProcess();
    auto doomed = ending.toolkit().createForm({.name = "frmA"});
    ui::Timer& fatal = doomed->addTimer("fatal", 300, true);
    fatal.onTick([&] { ending.process().exitProcess(3); });
    int laterTicks = 0;
    doomed->addTimer("later", 400, true).onTick([&] { ++laterTicks; });
    auto own = waiting.toolkit().createForm({.name = "frmB"});
    own->addTimer("own", 250, true);

    bool finished = false;
    EXPECT_TRUE(waiting.run([&] {
        while (world.now() < 1000) waiting.toolkit().waitForEvent();
        finished = true;
    }));
    EXPECT_TRUE(finished);
    EXPECT_EQ(ending.exitCode(), 3);
    EXPECT_FALSE(waiting.exited());
    EXPECT_EQ(laterTicks, 0);
}

TEST_F(SimProcessEnd, ExitInOwnTickUnwindsTheCodeThatLetEventsRun) {
    sim::SimInstance& app = startProcess();
    auto form = app.toolkit().createForm({.name = "frmA"});
    form->addTimer("t", 100, true).onTick([&] { app.process().exitProcess(9); });
    bool after = false;
    EXPECT_FALSE(app.run([&] {
        app.toolkit().waitForEvent();
        after = true;
    }));
    EXPECT_FALSE(after);
    EXPECT_EQ(app.exitCode(), 9);
}

// A's wait runs B's tick; B's tick waits and runs A's tick, which ends A. B's code goes on; A's wait then ends A's
// code.
TEST_F(SimProcessEnd, ExitOfTheOuterCallerInsideANestedWaitReachesItOnlyAfterTheNestedCodeReturns) {
    sim::SimInstance& a = startProcess();
    sim::SimInstance& b = startProcess();
    auto formA = a.toolkit().createForm({.name = "frmA"});
    auto formB = b.toolkit().createForm({.name = "frmB"});
    ui::Timer& nesting = formB->addTimer("nesting", 100, true);
    bool nestedReturned = false;
    nesting.onTick([&] {
        nesting.setEnabled(false);
        b.toolkit().waitForEvent();
        nestedReturned = true;
    });
    formA->addTimer("fatal", 150, true).onTick([&] { a.process().exitProcess(1); });

    bool after = false;
    EXPECT_FALSE(a.run([&] {
        a.toolkit().waitForEvent();
        after = true;
    }));
    EXPECT_TRUE(nestedReturned);
    EXPECT_FALSE(after);
    EXPECT_TRUE(a.exited());
    EXPECT_FALSE(b.exited());
}

TEST_F(SimProcessEnd, AdvanceFromTheTestAbsorbsAnyProcessEnd) {
    sim::SimInstance& app = startProcess();
    auto form = app.toolkit().createForm({.name = "frmA"});
    form->addTimer("t", 100, true).onTick([&] { app.process().exitProcess(2); });
    world.advance(500);
    EXPECT_EQ(app.exitCode(), 2);
    EXPECT_EQ(world.now(), 500);
}

using SimInstanceToken = SimMachine;

TEST_F(SimInstanceToken, FirstAskerHoldsItAndLaterProcessesSeeAnEarlierOne) {
    sim::SimInstance& first = startProcess();
    sim::SimInstance& second = startProcess();
    EXPECT_FALSE(first.process().isEarlierInstanceRunning());
    EXPECT_FALSE(first.process().isEarlierInstanceRunning());
    EXPECT_TRUE(second.process().isEarlierInstanceRunning());
}

TEST_F(SimInstanceToken, TokenIsPerProgramPathWhateverItsCase) {
    sim::SimInstance& first = startProcess();
    sim::SimInstance& same = startProcess();
    sim::SimInstance& other = startProcess();
    same.process().setProgramFilePath("c:\\program files\\obelon pro\\OBELON7.EXE");
    other.process().setProgramFilePath("C:\\Other\\obelon7.exe");
    EXPECT_FALSE(first.process().isEarlierInstanceRunning());
    EXPECT_TRUE(same.process().isEarlierInstanceRunning());
    EXPECT_FALSE(other.process().isEarlierInstanceRunning());
}

TEST_F(SimInstanceToken, TokenGoesWithTheLastProcessHoldingIt) {
    sim::SimInstance& first = startProcess();
    EXPECT_FALSE(first.process().isEarlierInstanceRunning());
    first.run([&] { first.process().exitProcess(0); });
    sim::SimInstance& restarted = startProcess();
    EXPECT_FALSE(restarted.process().isEarlierInstanceRunning());
    sim::SimInstance& third = startProcess();
    EXPECT_TRUE(third.process().isEarlierInstanceRunning());
}

}  // namespace
