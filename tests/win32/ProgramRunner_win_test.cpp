// Programs started and waited for on the real system (under Wine in CI): exit codes, what they wrote, a program
// that never ends, and one that is not there.
#include <gtest/gtest.h>
#include <windows.h>

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

// A "reg.exe" of a user's own in the current folder is not the one that runs. The planted one is the test
// driver, a real program of ours (Wine would run its own reg.exe for a copy of one of its own programs).
TEST(ProgramRunner, AProgramNamedWithoutAFolderIsTheSystemsOwnNotOneInTheCurrentFolder) {
    wchar_t self[MAX_PATH] = {};
    ASSERT_GT(::GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    std::wstring driver(self);
    driver = driver.substr(0, driver.find_last_of(L'\\')) + L"\\..\\e2e\\obdriver.exe";
    wchar_t temp[MAX_PATH] = {};
    ASSERT_GT(::GetTempPathW(MAX_PATH, temp), 0u);
    const std::wstring folder = std::wstring(temp) + L"obrunner-planted";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring planted = folder + L"\\reg.exe";
    ASSERT_TRUE(::CopyFileW(driver.c_str(), planted.c_str(), FALSE)) << "the driver is built beside the suite";
    wchar_t previous[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryW(folder.c_str()));

    const Finished ran = runToEnd("reg.exe wait-window --title nothing --timeout 1");

    ::SetCurrentDirectoryW(previous);
    ::DeleteFileW(planted.c_str());
    ::RemoveDirectoryW(folder.c_str());
    EXPECT_EQ(ran.output.find("timed out waiting"), std::string::npos) << "the planted program ran: " << ran.output;
    EXPECT_NE(ran.exitCode, 0u);
}
