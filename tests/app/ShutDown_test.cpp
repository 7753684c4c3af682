// "Shut Down OB": the question it asks and what each answer leaves behind.
#include <gtest/gtest.h>

#include "common/SystemTray.h"
#include "tests/support/RunningProgram.h"

using testsupport::RunningProgram;
using testsupport::startProgram;

namespace {

constexpr int kAboutPage = 5;

class ShutDownOB : public ::testing::Test {
protected:
    void SetUp() override {
        program = startProgram(world);
        ASSERT_TRUE(program.running);
        program.run([&] {
            program.app->state().configUnlocked = true;
            program.configForm().show();
        });
        owner = program.configForm().id();
    }
    // True while the process still runs after the click.
    bool clickShutDown() {
        return program.run([&] {
            sim::control<sim::SimTabStrip>(program.configForm(), "SmartTab1")->clickTab(kAboutPage);
            sim::control<sim::SimButton>(program.configForm(), "cmdExit")->click();
        });
    }
    sim::SimShell& shell() { return program.process->shell(); }

    sim::SimWorld world;
    RunningProgram program;
    WindowId owner;
};

}  // namespace

TEST_F(ShutDownOB, AsksFirstWithTheExitBox) {
    shell().answerNext(MessageBoxAnswer::Cancel);
    clickShutDown();
    ASSERT_EQ(shell().boxes().size(), 1u);
    const MessageBoxArgs& box = shell().boxes()[0];
    EXPECT_EQ(box.title, "Exit Obelon Pro 2011");
    EXPECT_EQ(box.text,
              "This will remove the program from memory and disable Task Locking until Windows next starts.");
    EXPECT_EQ(box.icon, MessageBoxIcon::Exclamation);
    EXPECT_EQ(box.buttons, MessageBoxButtons::OkCancel);
    EXPECT_EQ(box.owner, owner);
}

TEST_F(ShutDownOB, CancelKeepsEverythingRunning) {
    shell().answerNext(MessageBoxAnswer::Cancel);
    EXPECT_TRUE(clickShutDown());
    EXPECT_FALSE(program.process->exited());
    EXPECT_TRUE(program.configForm().isVisible());
    EXPECT_TRUE(shell().trayIcon(owner, kTrayIconId));
    world.advance(2000);
    EXPECT_TRUE(program.run([] {}));
}

TEST_F(ShutDownOB, OkEndsTheProcessAndItsWindows) {
    shell().answerNext(MessageBoxAnswer::Ok);
    EXPECT_FALSE(clickShutDown());
    EXPECT_TRUE(program.process->exited());
    EXPECT_EQ(program.process->exitCode(), 0);
    EXPECT_FALSE(world.desktop.isWindow(owner));
    EXPECT_FALSE(world.desktop.findWindow(std::nullopt, "Obelon Pro Configuration Tool"));
    // Nothing of the ended process runs again.
    EXPECT_FALSE(program.run([] {}));
}

// Ending the program is itself behind the password: no window it held hidden is left hidden or renamed.
TEST_F(ShutDownOB, WindowsHeldBehindALockAreGivenBackFirst) {
    program.run([&] {
        program.list("lstTasks").addItem("Notepad");
        program.list("lstTasks").setChecked(program.list("lstTasks").count() - 1, true);
    });
    const WindowId notepad = world.desktop.createWindow("Report.txt - Notepad", "Notepad");
    world.advance(1000);
    ASSERT_FALSE(world.desktop.isVisible(notepad));
    ASSERT_EQ(world.desktop.windowText(notepad), "###");
    shell().answerNext(MessageBoxAnswer::Ok);
    EXPECT_FALSE(clickShutDown());
    EXPECT_TRUE(world.desktop.isVisible(notepad));
    EXPECT_EQ(world.desktop.windowText(notepad), "Report.txt - Notepad");
}

// The box has only OK and Cancel, so any other answer counts as OK.
TEST_F(ShutDownOB, AnyAnswerButCancelEndsTheProcess) {
    shell().answerNext(MessageBoxAnswer::No);
    EXPECT_FALSE(clickShutDown());
    EXPECT_TRUE(program.process->exited());
}

TEST_F(ShutDownOB, AfterTheEndTheNextStartIsTheFirstInstanceAgain) {
    shell().answerNext(MessageBoxAnswer::Ok);
    clickShutDown();
    ASSERT_TRUE(program.process->exited());
    RunningProgram next = startProgram(world);
    ASSERT_TRUE(next.running);
    EXPECT_TRUE(world.desktop.findWindow(std::nullopt, "Obelon Pro Configuration Tool"));
    EXPECT_TRUE(next.process->shell().trayIcon(next.configForm().id(), kTrayIconId));
}
