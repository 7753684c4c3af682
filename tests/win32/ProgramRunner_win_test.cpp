// Programs started on the real system (under Wine in CI) beyond the runner's contract: Windows' own reg.exe, and
// which program a name without a folder starts.
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

// reg.exe itself, as the configuration's export and import use it: a key that is not there is its failure.
TEST(ProgramRunner, RegExeTellsItsFailureByExitCodeAndOutput) {
    const Finished reg = runToEnd("reg.exe query \"HKCU\\Software\\OBPTest\\no such key here\"");
    EXPECT_NE(reg.exitCode, 0u);
    EXPECT_FALSE(reg.output.empty());
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
