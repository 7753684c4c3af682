// The registration file the program writes, imported by the system's own reg.exe started elevated, and that
// reg.exe's export of the result read back. Works below HKLM\Software\OBPTest\<random>, removed afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <random>
#include <string>

#include "registry/RegFile.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Utf.h"
#include "platform/win32/WinProgramRunner.h"
#include "platform/win32/WinRegistry.h"
#include "registry/RegistryEdit.h"

namespace {

class ElevatedRegImport : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device device;
        m_name = "import" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(device());
        m_key = "Software\\OBPTest\\" + m_name;
        wchar_t temp[MAX_PATH + 1] = {};
        ASSERT_GT(::GetTempPathW(MAX_PATH, temp), 0u);
        m_file = toUtf8(temp) + m_name + " import.reg";
    }
    void TearDown() override {
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, toWide(m_key).c_str());
        ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\OBPTest");  // only when no other run still uses it
        ::DeleteFileW(toWide(m_file).c_str());
    }

    void writeFile(const std::string& bytes) {
        UniqueKernelHandle file(
            ::CreateFileW(toWide(m_file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(file);
        DWORD written = 0;
        ASSERT_TRUE(::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    }
    std::string readFile() {
        UniqueKernelHandle file(
            ::CreateFileW(toWide(m_file).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        std::string bytes;
        char buffer[4096];
        DWORD got = 0;
        while (file && ::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
            bytes.append(buffer, got);
        return bytes;
    }
    uint32_t run(const std::string& commandLine, bool elevated) {
        auto started = m_runner.start({.commandLine = commandLine, .show = ShowCommand::Hide, .elevated = elevated});
        EXPECT_TRUE(started.ok()) << commandLine << ": " << (started.ok() ? 0 : started.status().code());
        if (!started.ok()) return 1;
        EXPECT_TRUE(started.value()->waitForExit(20000)) << commandLine;
        return started.value()->exitCode();
    }

    WinRegistry m_registry;
    WinProgramRunner m_runner;
    std::string m_name;
    std::string m_key;
    std::string m_file;
};

TEST_F(ElevatedRegImport, RegExeMakesTheEditsOfTheFileAndExportsWhatReadsBack) {
    const std::string tasks = m_key + "\\Tasks";
    SetStringValue(m_registry, RootKey::LocalMachine, m_key + "\\Old\\Below", "x", "x");
    SetStringValue(m_registry, RootKey::LocalMachine, tasks, "Gone", "x");
    const std::string lines = "first line\r\nsecond \"line\" with C:\\ and a=b, long enough for a few hex lines";
    const RegEdits edits = {
        {.kind = RegEdit::Kind::DeleteKey, .key = m_key + "\\Old"},
        {.kind = RegEdit::Kind::CreateKey, .key = tasks},
        {.kind = RegEdit::Kind::SetText, .key = tasks, .name = "Say \"hi\" \\ =", .text = "C:\\x \"q\" a=b"},
        {.kind = RegEdit::Kind::SetText, .key = tasks, .name = "Café", .text = "Café ☕ 𝄞"},
        {.kind = RegEdit::Kind::SetText, .key = tasks, .name = "Lines", .text = lines},
        {.kind = RegEdit::Kind::SetText, .key = tasks, .name = "Empty", .text = ""},
        {.kind = RegEdit::Kind::SetNumber, .key = tasks, .name = "All", .number = 0xFFFFFFFFu},
        {.kind = RegEdit::Kind::DeleteValue, .key = tasks, .name = "Gone"},
    };
    writeFile(regFileFor(edits));

    ASSERT_EQ(run("reg.exe import \"" + m_file + "\"", true), 0u);
    EXPECT_FALSE(m_registry.openKey(RootKey::LocalMachine, m_key + "\\Old", KeyAccess::Read).ok());
    EXPECT_EQ(GetStringValue(m_registry, RootKey::LocalMachine, tasks, "Say \"hi\" \\ ="), "C:\\x \"q\" a=b");
    EXPECT_EQ(GetStringValue(m_registry, RootKey::LocalMachine, tasks, "Café"), "Café ☕ 𝄞");
    EXPECT_EQ(GetStringValue(m_registry, RootKey::LocalMachine, tasks, "Lines"), lines);
    const Result<RegistryValue> empty = m_registry.queryValue(RootKey::LocalMachine, tasks, "Empty");
    ASSERT_TRUE(empty.ok());
    EXPECT_EQ(empty.value().type, regtype::kSz);
    EXPECT_EQ(GetDWordValue(m_registry, RootKey::LocalMachine, tasks, "All"), -1);
    EXPECT_TRUE(m_registry.queryValue(RootKey::LocalMachine, tasks, "Gone").status().notFound());

    ASSERT_EQ(run("reg.exe export \"HKLM\\" + tasks + "\" \"" + m_file + "\" /y", false), 0u);
    const std::optional<RegEdits> exported = readRegFile(readFile());
    ASSERT_TRUE(exported);
    for (size_t at = 2; at + 1 < edits.size(); ++at) {
        EXPECT_TRUE(std::find(exported->begin(), exported->end(), edits[at]) != exported->end()) << edits[at].name;
    }
}

}  // namespace
