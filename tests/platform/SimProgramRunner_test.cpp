// The simulated elevation prompt: a test that has the user say no must see exactly that one start refused.
#include "platform/sim/SimProgramRunner.h"

#include <gtest/gtest.h>

namespace {

TEST(SimElevationPrompt, ADeclinedPromptRefusesOnlyTheNextElevatedStartAndRunsNothing) {
    sim::SimProgramRunner runner;
    bool ran = false;
    runner.declineNextElevation();
    runner.scriptNext({.exitCode = 3});
    runner.scriptNext({.exitCode = 4, .work = [&] { ran = true; }});

    auto plain = runner.start({.commandLine = "reg.exe query HKLM"});
    ASSERT_TRUE(plain.ok());
    ASSERT_TRUE(plain.value()->waitForExit(0));
    EXPECT_EQ(plain.value()->exitCode(), 3u);

    auto declined = runner.start({.commandLine = "reg.exe import a.reg", .elevated = true});
    ASSERT_FALSE(declined.ok());
    EXPECT_EQ(declined.status().code(), errc::kCancelled);
    EXPECT_EQ(declined.status().api(), "ShellExecuteExW");
    EXPECT_FALSE(ran);

    auto accepted = runner.start({.commandLine = "reg.exe import a.reg", .elevated = true});
    ASSERT_TRUE(accepted.ok());
    ASSERT_TRUE(accepted.value()->waitForExit(0));
    EXPECT_EQ(accepted.value()->exitCode(), 4u);
    EXPECT_TRUE(ran);
    ASSERT_EQ(runner.started().size(), 2u);
    EXPECT_TRUE(runner.started()[1].elevated);
}

}  // namespace
