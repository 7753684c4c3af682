// Export, import and the automatic update through reg.exe, with reg.exe played by the simulated machine.
#include <gtest/gtest.h>

#include "common/ConfigSchema.h"
#include "registry/RegistryEdit.h"
#include "tests/support/RunningProgram.h"

using testsupport::RunningProgram;
using testsupport::startProgram;

namespace {

constexpr int kUsersPage = 3;
constexpr const char* kTasks = "Software\\OBP\\Tasks";
constexpr const char* kFolder = "C:\\Program Files\\Obelon Pro\\";
constexpr const char* kSaveFile = "C:\\Program Files\\Obelon Pro\\save\\obelon7.reg";
// 2026-12-06 01:05:00 UTC.
constexpr int64_t kSixthOfDecember = 1796519100000;

// A registry file as reg.exe writes it: UTF-16LE with its mark and CR LF line ends.
std::string regFile(const std::string& body) {
    const std::string text = "Windows Registry Editor Version 5.00\r\n\r\n" + body;
    std::string bytes = "\xFF\xFE";
    for (char c : text) {
        bytes.push_back(c);
        bytes.push_back('\0');
    }
    return bytes;
}

const std::string kGoodFile = regFile(
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\OBP]\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\OBP\\Tasks]\r\n"
    "\"Task0\"=\"Imported Task,1\"\r\n\r\n[hkey_local_machine\\software\\obp\\Settings]\r\n"
    "\"DisableRegistryTools\"=dword:00000001\r\n\"Blob\"=hex:01,02,\\\r\n  03,04\r\n");

class Transfer : public ::testing::Test {
protected:
    void SetUp() override {
        SetStringValue(world.registry, RootKey::LocalMachine, kTasks, "Task0", "Old Task,1");
        program = startProgram(world);
        ASSERT_TRUE(program.running);
        files().makeFolder(kFolder);
        program.openConfigWindow();
        // reg.exe's import, as far as these files go: the task list they carry.
        programs().respondWith([this](const StartProgramArgs& args) {
            sim::ScriptedProgram reg;
            if (args.commandLine.find(" import ") != std::string::npos) {
                reg.work = [this] {
                    DeleteValue(world.registry, RootKey::LocalMachine, kTasks, "Task0");
                    SetStringValue(world.registry, RootKey::LocalMachine, kTasks, "Task0", "Imported Task,1");
                };
            }
            return reg;
        });
    }
    void click(const char* button) {
        program.run([&] {
            sim::control<sim::SimTabStrip>(program.configForm(), "SmartTab1")->clickTab(kUsersPage);
            sim::control<sim::SimButton>(program.configForm(), button)->click();
        });
    }
    sim::SimProgramRunner& programs() { return program.process->programs(); }
    sim::SimFileSystem& files() { return program.process->files(); }
    sim::SimShell& shell() { return program.process->shell(); }

    sim::SimWorld world;
    RunningProgram program;
};

}  // namespace

TEST_F(Transfer, ExportQuotesTheChosenFolderAndACancelledPickerStartsNothing) {
    EXPECT_EQ(sim::control<sim::SimButton>(program.configForm(), "cmdExport")->mousePointer(),
              ui::MousePointer::Custom);
    EXPECT_EQ(program.labelText("Label8"), "Copy the Configuration to other computers.");
    click("cmdExport");
    EXPECT_TRUE(programs().started().empty());
    ASSERT_EQ(files().browses().size(), 1u);
    EXPECT_EQ(files().browses()[0].flags, 1u);
    EXPECT_EQ(files().browses()[0].title, std::nullopt);

    files().answerNextBrowse("C:\\My Configs");
    click("cmdExport");
    files().answerNextBrowse("D:\\");
    click("cmdExport");
    EXPECT_EQ(programs().commandLines(),
              (std::vector<std::string>{"reg.exe export hklm\\software\\obp \"C:\\My Configs\\obelon7.reg\" /y",
                                        "reg.exe export hklm\\software\\obp \"D:\\obelon7.reg\" /y"}));
    EXPECT_EQ(programs().started()[0].show, ShowCommand::ShowNoActivate);
    EXPECT_TRUE(shell().boxes().empty());

    // A failed export says so, with reg.exe's reason.
    programs().scriptNext({.exitCode = 1, .output = "ERROR: Access is denied.\r\n"});
    files().answerNextBrowse("E:\\");
    click("cmdExport");
    ASSERT_EQ(shell().boxes().size(), 1u);
    EXPECT_EQ(shell().boxes()[0].text, "The configuration could not be exported: ERROR: Access is denied.");
}

TEST_F(Transfer, ImportSavesTheCurrentConfigurationFirstThenWaitsAndReloads) {
    files().writeFile("D:\\x\\obelon7.reg", kGoodFile);
    world.systemClock.setWallClock(kSixthOfDecember);
    world.systemClock.setUtcOffsetMinutes(60);
    files().answerNextBrowse("D:\\x\\obelon7.reg");
    click("cmdImport");

    ASSERT_EQ(files().browses().size(), 1u);
    EXPECT_EQ(files().browses()[0].flags, 0x4000u);
    EXPECT_EQ(files().browses()[0].title, std::optional<std::string>("Select import folder:"));
    const auto lines = programs().commandLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string("reg.exe export hklm\\software\\obp \"") + kFolder +
                            "save\\backup\\obelon7-20261206-020500.reg\" /y");
    EXPECT_EQ(lines[1], "reg.exe import \"D:\\x\\obelon7.reg\"");
    EXPECT_EQ(programs().started()[1].show, ShowCommand::ShowMinimized);
    EXPECT_TRUE(files().exists(std::string(kFolder) + "save\\backup"));
    // The window shows what reg.exe wrote, not what was there before.
    EXPECT_EQ(program.items("lstTasks"), std::vector<std::string>{"Imported Task"});
    EXPECT_TRUE(shell().boxes().empty());
}

TEST_F(Transfer, ImportThatReachesBeyondTheConfigurationIsRefusedUntouched) {
    const std::vector<std::string> foreign = {
        regFile("[HKEY_LOCAL_MACHINE\\SOFTWARE\\OBP\\Tasks]\r\n\"Task0\"=\"x,1\"\r\n"
                "[HKEY_CURRENT_USER\\Software\\Evil]\r\n\"a\"=\"b\"\r\n"),
        regFile("[-HKEY_LOCAL_MACHINE\\SOFTWARE\\OBP\\Tasks]\r\n"),
        regFile("[HKEY_LOCAL_MACHINE\\SOFTWARE\\OBP\\Tasks]\r\n\"Task0\"=-\r\n"),
        regFile("[HKEY_LOCAL_MACHINE\\SOFTWARE\\OBPX]\r\n"),
        // Continued binary data must not hide a key line from the check.
        regFile("[HKEY_LOCAL_MACHINE\\SOFTWARE\\OBP]\r\n\"a\"=hex:01,\\\r\n[HKEY_USERS\\.DEFAULT\\Evil]\r\n"),
        // A lone CR ends a line for the importer too.
        "Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\OBP]\r[HKEY_CLASSES_ROOT\\Evil]\r\n",
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\OBP]\r\n",
    };
    for (size_t i = 0; i < foreign.size(); ++i) {
        files().writeFile("D:\\x\\obelon7.reg", foreign[i]);
        files().answerNextBrowse("D:\\x\\obelon7.reg");
        click("cmdImport");
        EXPECT_TRUE(programs().started().empty()) << "file " << i;
        ASSERT_EQ(shell().boxes().size(), i + 1);
        EXPECT_EQ(shell().boxes()[i].icon, MessageBoxIcon::Exclamation);
        EXPECT_EQ(shell().boxes()[i].text.rfind("The file D:\\x\\obelon7.reg was not imported: ", 0), 0u);
    }
    EXPECT_NE(shell().boxes()[0].text.find("HKEY_CURRENT_USER\\Software\\Evil"), std::string::npos);
    EXPECT_EQ(program.items("lstTasks"), std::vector<std::string>{"Old Task"});

    // An older tool's ANSI file of the configuration alone goes through.
    files().writeFile("D:\\x\\old.reg",
                      "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\OBP\\Tasks]\n\"Task0\"=\"Caf\xE9,1\"\n");
    files().answerNextBrowse("D:\\x\\old.reg");
    click("cmdImport");
    EXPECT_EQ(programs().started().size(), 2u);
}

TEST_F(Transfer, FailedImportIsReportedWithTheReasonAndAHungRegIsStopped) {
    files().writeFile("D:\\x\\obelon7.reg", kGoodFile);
    programs().scriptNext({});
    programs().scriptNext(
        {.exitCode = 1, .output = "ERROR: Error opening the file.\r\nThere may be a disk error.\r\n"});
    files().answerNextBrowse("D:\\x\\obelon7.reg");
    click("cmdImport");
    ASSERT_EQ(shell().boxes().size(), 1u);
    EXPECT_EQ(shell().boxes()[0].text,
              "The configuration could not be imported: ERROR: Error opening the file. There may be a disk error.");

    programs().scriptNext({});
    programs().scriptNext({.hangs = true});
    files().answerNextBrowse("D:\\x\\obelon7.reg");
    click("cmdImport");
    EXPECT_EQ(programs().terminations(), 1);
    ASSERT_EQ(shell().boxes().size(), 2u);
    EXPECT_EQ(shell().boxes()[1].text,
              "The configuration could not be imported: reg.exe did not finish within 30 seconds.");

    // Without a backup nothing is imported.
    programs().scriptNext({.exitCode = 1, .output = "ERROR: Access is denied."});
    files().answerNextBrowse("D:\\x\\obelon7.reg");
    click("cmdImport");
    EXPECT_EQ(programs().started().size(), 5u);
    EXPECT_EQ(shell().boxes().size(), 3u);

    programs().failNextStart(errc::kFileNotFound);
    files().answerNextBrowse("D:\\x\\obelon7.reg");
    click("cmdImport");
    ASSERT_EQ(shell().boxes().size(), 4u);
    EXPECT_EQ(shell().boxes()[3].text.find("reg.exe could not be started: The system cannot find the file specified."),
              shell().boxes()[3].text.find("reg.exe"));
}

TEST_F(Transfer, AutoUpdateImportsTheDroppedFileOnceAnnouncesItAndDeletesItAfterOk) {
    // Ticks come a minute apart from the window's creation; the first finds nothing and does nothing.
    world.advance(61000 - world.now());
    EXPECT_TRUE(programs().started().empty());
    EXPECT_TRUE(shell().boxes().empty());

    files().writeFile(kSaveFile, kGoodFile);
    world.systemClock.setUtcOffsetMinutes(60);
    world.systemClock.setWallClock(kSixthOfDecember + 60000 - (120000 - world.now()));
    world.systemClock.setMonthNames({"Januar", "Februar", "März", "April", "Mai", "Juni", "Juli", "August", "September",
                                     "Oktober", "November", "Dezember"});
    bool presentWhileShown = false;
    std::vector<std::string> tasksWhileShown;
    shell().whileBoxShown([&](const MessageBoxArgs&) {
        presentWhileShown = files().exists(kSaveFile);
        tasksWhileShown = program.items("lstTasks");
    });
    world.advance(120000 - 1 - world.now());
    EXPECT_TRUE(programs().started().empty());
    world.advance(1);

    ASSERT_EQ(programs().commandLines().size(), 2u);
    EXPECT_EQ(programs().commandLines()[1], std::string("reg.exe import \"") + kSaveFile + "\"");
    ASSERT_EQ(shell().boxes().size(), 1u);
    EXPECT_EQ(shell().boxes()[0].text, "Auto-update of configuration completed on 6-Dezember 2:06");
    EXPECT_EQ(shell().boxes()[0].buttons, MessageBoxButtons::Ok);
    EXPECT_TRUE(presentWhileShown);
    EXPECT_EQ(tasksWhileShown, std::vector<std::string>{"Old Task"});
    EXPECT_FALSE(files().exists(kSaveFile));
    EXPECT_EQ(program.items("lstTasks"), std::vector<std::string>{"Imported Task"});

    world.advance(60000);
    EXPECT_EQ(programs().started().size(), 2u);
}

TEST_F(Transfer, AutoUpdateKeepsAFailedOrForeignFileAsFailedAndDoesNotRetryIt) {
    const std::string failed = std::string(kSaveFile) + ".failed";
    files().writeFile(kSaveFile, kGoodFile);
    programs().scriptNext({});
    programs().scriptNext({.exitCode = 1, .output = "ERROR: The file is damaged."});
    world.advance(60000);
    ASSERT_EQ(shell().boxes().size(), 1u);
    EXPECT_EQ(shell().boxes()[0].text,
              "Auto-update of configuration failed: ERROR: The file is damaged. The file was kept as " + failed + ".");
    EXPECT_FALSE(files().exists(kSaveFile));
    EXPECT_EQ(files().readFile(failed), kGoodFile);
    world.advance(60000);
    EXPECT_EQ(programs().started().size(), 2u);
    EXPECT_EQ(shell().boxes().size(), 1u);

    // A foreign file is never given to reg.exe; it replaces the earlier failed one.
    const std::string evil = regFile("[HKEY_CURRENT_USER\\Software\\Evil]\r\n\"a\"=\"b\"\r\n");
    files().writeFile(kSaveFile, evil);
    world.advance(60000);
    EXPECT_EQ(programs().started().size(), 2u);
    ASSERT_EQ(shell().boxes().size(), 2u);
    EXPECT_EQ(shell().boxes()[1].icon, MessageBoxIcon::Exclamation);
    EXPECT_NE(shell().boxes()[1].text.find("It was kept as " + failed + "."), std::string::npos);
    EXPECT_EQ(files().readFile(failed), evil);
    EXPECT_EQ(program.items("lstTasks"), std::vector<std::string>{"Old Task"});
}
