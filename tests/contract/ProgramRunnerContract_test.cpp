// What the configuration's export and import rely on from IProgramRunner (reg.exe is run and waited for), held
// against the simulation and real programs alike.
#include <gtest/gtest.h>

#include <string>

#include "tests/contract/StorageBackends.h"

namespace {

class ProgramRunnerContract : public ::testing::Test {
protected:
    std::unique_ptr<IChildProgram> start(const std::string& commandLine) {
        auto started = m_side->runner().start({.commandLine = commandLine, .show = ShowCommand::Hide});
        EXPECT_TRUE(started.ok()) << commandLine << ": " << (started.ok() ? 0 : started.status().code());
        return started.ok() ? std::move(started.value()) : nullptr;
    }

    std::unique_ptr<contract::ProgramsSide> m_side = contract::makeProgramsSide();
};

TEST_F(ProgramRunnerContract, ExitCodeAndBothOutputsComeBackOnceTheProgramEnds) {
    auto failing = start(m_side->programThatDoes({"said on the output", "said on the errors", 3}));
    ASSERT_TRUE(failing);
    ASSERT_TRUE(failing->waitForExit(20000));
    EXPECT_EQ(failing->exitCode(), 3u);
    const std::string output = failing->output();
    EXPECT_NE(output.find("said on the output"), std::string::npos) << output;
    EXPECT_NE(output.find("said on the errors"), std::string::npos) << output;

    auto fine = start(m_side->programThatDoes({"all", "well", 0}));
    ASSERT_TRUE(fine);
    ASSERT_TRUE(fine->waitForExit(20000));
    EXPECT_EQ(fine->exitCode(), 0u);
}

// A reg.exe that hangs is stopped, and the caller must see it ended with a failure, not with success.
TEST_F(ProgramRunnerContract, AProgramThatDoesNotEndIsStoppedWithAFailingExitCode) {
    auto endless = start(m_side->programThatRunsOn());
    ASSERT_TRUE(endless);
    EXPECT_FALSE(endless->waitForExit(300));
    endless->terminate();
    EXPECT_TRUE(endless->waitForExit(5000));
    EXPECT_EQ(endless->exitCode(), 1u);
}

// The elevated reg.exe import is judged by its exit code alone: the code must come through, and no output of
// the elevated program may be mistaken for its own.
TEST_F(ProgramRunnerContract, AnElevatedProgramEndsWithItsExitCodeAndGivesNoOutput) {
    const std::string commandLine = m_side->programThatDoes({"said elevated", "said elevated too", 4});
    auto started = m_side->runner().start({.commandLine = commandLine, .show = ShowCommand::Hide, .elevated = true});
    ASSERT_TRUE(started.ok()) << started.status().api() << " " << started.status().code();
    auto& elevated = started.value();
    ASSERT_TRUE(elevated->waitForExit(20000));
    EXPECT_EQ(elevated->exitCode(), 4u);
    EXPECT_EQ(elevated->output(), "");
}

TEST_F(ProgramRunnerContract, AMissingProgramIsNotStarted) {
    auto missing = m_side->runner().start({.commandLine = m_side->missingProgram(), .show = ShowCommand::Hide});
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.status().code(), errc::kFileNotFound);
    EXPECT_EQ(missing.status().api(), "CreateProcessW");
}

}  // namespace
