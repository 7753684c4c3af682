// Programs started and waited for on the real system (under Wine in CI): exit codes, what they wrote, a program
// that never ends, and one that is not there.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/WinProgramRunner.h"

namespace {

struct Finished {
    uint32_t exitCode = 0;
    std::string output;
};

Finished runToEnd(const std::string& commandLine) {
    WinProgramRunner runner;
    auto started = runner.start({.commandLine = commandLine, .show = ShowCommand::ShowMinimized});
    EXPECT_TRUE(started.ok()) << commandLine;
    if (!started.ok()) return {};
    EXPECT_TRUE(started.value()->waitForExit(20000)) << commandLine;
    return {started.value()->exitCode(), started.value()->output()};
}

}  // namespace

TEST(ProgramRunner, ExitCodeAndBothOutputsComeBackOnceTheProgramEnds) {
    const Finished failed = runToEnd("cmd.exe /c \"echo said on the output & echo said on the errors 1>&2 & exit 3\"");
    EXPECT_EQ(failed.exitCode, 3u);
    EXPECT_NE(failed.output.find("said on the output"), std::string::npos) << failed.output;
    EXPECT_NE(failed.output.find("said on the errors"), std::string::npos) << failed.output;

    // reg.exe itself, as the configuration's export and import use it: a key that is not there is its failure.
    const Finished reg = runToEnd("reg.exe query \"HKCU\\Software\\OBPTest\\no such key here\"");
    EXPECT_NE(reg.exitCode, 0u);
    EXPECT_FALSE(reg.output.empty());
    EXPECT_EQ(runToEnd("cmd.exe /c exit 0").exitCode, 0u);
}

TEST(ProgramRunner, AProgramThatDoesNotEndIsStoppedAndAMissingOneIsNotStarted) {
    WinProgramRunner runner;
    auto started = runner.start({.commandLine = "ping.exe -n 60 127.0.0.1", .show = ShowCommand::Hide});
    ASSERT_TRUE(started.ok());
    EXPECT_FALSE(started.value()->waitForExit(300));
    started.value()->terminate();
    EXPECT_TRUE(started.value()->waitForExit(5000));
    EXPECT_EQ(started.value()->exitCode(), 1u);

    auto missing = runner.start({.commandLine = "obelon-no-such-program.exe", .show = ShowCommand::Hide});
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.status().code(), 2u);
    EXPECT_EQ(missing.status().api(), "CreateProcessW");
}
