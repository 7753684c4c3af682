// Export, import and the automatic update through reg.exe, with reg.exe played by the simulated machine.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "common/ConfigSchema.h"
#include "registry/RegistryEdit.h"
#include "tests/support/RegFileImport.h"
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

// What reg.exe is told to import: the path between the quotes.
std::string importedPath(const std::string& commandLine) {
    const size_t open = commandLine.find('"');
    return commandLine.substr(open + 1, commandLine.rfind('"') - open - 1);
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

// The picked file may be changed after its check (here while the backup is made): reg.exe reads a copy of the bytes
// that were checked, under a new name of this program's own beside the backups, and the copy goes afterwards.
TEST_F(Transfer, ImportSavesTheCurrentConfigurationFirstThenImportsACopyOfTheCheckedBytesAndReloads) {
    files().writeFile("D:\\x\\obelon7.reg", kGoodFile);
    world.systemClock.setWallClock(kSixthOfDecember);
    world.systemClock.setUtcOffsetMinutes(60);
    std::optional<std::string> readByReg;
    programs().respondWith([this, &readByReg](const StartProgramArgs& args) {
        sim::ScriptedProgram reg;
        if (args.commandLine.find(" export ") != std::string::npos) {
            files().writeFile("D:\\x\\obelon7.reg", regFile("[HKEY_CURRENT_USER\\Software\\Evil]\r\n"));
        } else {
            reg.work = [this, &readByReg, path = importedPath(args.commandLine)] {
                readByReg = files().readFile(path);
                SetStringValue(world.registry, RootKey::LocalMachine, kTasks, "Task0", "Imported Task,1");
            };
        }
        return reg;
    });
    files().answerNextBrowse("D:\\x\\obelon7.reg");
    click("cmdImport");

    ASSERT_EQ(files().browses().size(), 1u);
    EXPECT_EQ(files().browses()[0].flags, 0x4000u);
    EXPECT_EQ(files().browses()[0].title, std::optional<std::string>("Select import folder:"));
    const auto lines = programs().commandLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string("reg.exe export hklm\\software\\obp \"") + kFolder +
                            "save\\backup\\obelon7-20261206-020500.reg\" /y");
    const std::string backup = std::string(kFolder) + "save\\backup\\";
    EXPECT_EQ(importedPath(lines[1]).rfind(backup, 0), 0u) << lines[1];
    EXPECT_EQ(readByReg, kGoodFile);
    EXPECT_FALSE(files().exists(importedPath(lines[1])));
    EXPECT_EQ(programs().started()[1].show, ShowCommand::ShowMinimized);
    EXPECT_TRUE(files().exists(backup));
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
    // The copies given to reg.exe went whatever became of it.
    EXPECT_TRUE(files().namesIn(std::string(kFolder) + "save\\backup").empty());

    // A file another program still writes is not taken half-done; the user learns what to do.
    auto held = files().openForWriting("D:\\x\\obelon7.reg");
    ASSERT_TRUE(held.ok());
    files().answerNextBrowse("D:\\x\\obelon7.reg");
    click("cmdImport");
    ASSERT_EQ(shell().boxes().size(), 5u);
    EXPECT_EQ(shell().boxes()[4].text,
              "The file D:\\x\\obelon7.reg was not imported: it is in use by another program. Close it there and try "
              "again.");
    EXPECT_EQ(programs().started().size(), 5u);
}

// A standard user may neither back up into the program's folder nor import: the backup goes into his own temporary
// folder, and the file's settings are offered to be saved with administrator rights; declined, nothing changes.
TEST_F(Transfer, AStandardUsersImportIsOfferedWithAdministratorRights) {
    files().writeFile("D:\\x\\obelon7.reg",
                      regFile("[HKEY_LOCAL_MACHINE\\SOFTWARE\\OBP\\Tasks]\r\n\"Task0\"=\"Imported Task,1\"\r\n"));
    world.registry.setMachineWideWritesDenied(true);
    files().answerNextBrowse("D:\\x\\obelon7.reg");
    click("cmdImport");
    ASSERT_EQ(programs().started().size(), 1u);  // the backup alone
    EXPECT_NE(programs().commandLines()[0].find("\\AppData\\Local\\Temp\\obelon7-"), std::string::npos);
    ASSERT_EQ(shell().boxes().size(), 2u);
    EXPECT_EQ(shell().boxes()[0].buttons, MessageBoxButtons::YesNo);
    EXPECT_EQ(shell().boxes()[1].text, "Nothing was imported: Saving the configuration needs administrative rights.");
    EXPECT_EQ(program.items("lstTasks"), std::vector<std::string>{"Old Task"});

    std::vector<std::string> imported;
    testsupport::playElevatedRegImports(*program.process, world.registry, imported);
    shell().answerNext(MessageBoxAnswer::Yes);
    files().answerNextBrowse("D:\\x\\obelon7.reg");
    click("cmdImport");
    ASSERT_EQ(imported.size(), 1u);
    EXPECT_TRUE(programs().started().back().elevated);
    EXPECT_EQ(program.items("lstTasks"), std::vector<std::string>{"Imported Task"});
    EXPECT_EQ(shell().boxes().size(), 3u);
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
    EXPECT_EQ(importedPath(programs().commandLines()[1]).rfind(std::string(kFolder) + "save\\backup\\", 0), 0u);
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

// A standard user's instance cannot save the configuration in the program's folder, nor rename the file there: the
// file stays, the box comes once and says what to do, and the file is tried again only once it has changed.
TEST_F(Transfer, AutoUpdateTriesAFileThatFailedAndStayedOnlyAgainOnceItChanged) {
    using Op = sim::SimFileSystem::Op;
    const auto& boxes = shell().boxes();
    const std::string stays =
        "It stays in place and is tried again when it is replaced or at the next start of the program.";
    {
        // Still being copied into the folder: passed over without a word.
        files().writeFile(kSaveFile, "");
        auto copying = files().openForWriting(kSaveFile);
        ASSERT_TRUE(copying.ok());
        world.advance(60000);
        EXPECT_TRUE(boxes.empty());
        ASSERT_TRUE(
            copying.value()->write({reinterpret_cast<const uint8_t*>(kGoodFile.data()), kGoodFile.size()}).ok());
        ASSERT_TRUE(copying.value()->close().ok());
    }
    files().failNext(Op::CreateFolder, errc::kAccessDenied);
    world.advance(60000);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, std::string("Auto-update of configuration failed: the current configuration could not be "
                                         "saved first: the folder ") +
                                 kFolder +
                                 "save could not be made: Access is denied. Saving the configuration needs "
                                 "administrative rights. The file " +
                                 stays);
    world.advance(3 * 60000);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(programs().started().empty());
    EXPECT_TRUE(files().exists(kSaveFile));

    // The same bytes written again count as a new file.
    const std::filesystem::path host = files().hostPath(kSaveFile);
    std::filesystem::last_write_time(host, std::filesystem::last_write_time(host) + std::chrono::minutes(1));
    programs().scriptNext({.exitCode = 1, .output = "ERROR: Access is denied."});
    world.advance(60000);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text,
              "Auto-update of configuration failed: the current configuration could not be saved first: "
              "ERROR: Access is denied. The file " +
                  stays);
    world.advance(60000);
    EXPECT_EQ(boxes.size(), 2u);

    // reg.exe refuses the import of a longer file, which cannot be renamed either.
    files().writeFile(kSaveFile, kGoodFile + std::string("\r\0\n\0", 4));
    programs().scriptNext({});
    programs().scriptNext({.exitCode = 1, .output = "ERROR: Error accessing the registry."});
    files().failNext(Op::Rename, errc::kAccessDenied);
    world.advance(60000);
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[2].text,
              "Auto-update of configuration failed: ERROR: Error accessing the registry. The file "
              "could not be renamed to " +
                  std::string(kSaveFile) + ".failed: Access is denied. " + stays);
    world.advance(60000);
    EXPECT_EQ(boxes.size(), 3u);
    EXPECT_EQ(programs().started().size(), 3u);

    // Its replacement goes through.
    files().writeFile(kSaveFile, kGoodFile);
    world.advance(60000);
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[3].text.rfind("Auto-update of configuration completed on ", 0), 0u);
    EXPECT_FALSE(files().exists(kSaveFile));
    EXPECT_EQ(program.items("lstTasks"), std::vector<std::string>{"Imported Task"});

    // One that is imported but cannot be deleted is not imported again every minute.
    files().writeFile(kSaveFile, kGoodFile);
    ASSERT_TRUE(files().setAttributes(kSaveFile, fileattr::kReadOnly).ok());
    world.advance(60000);
    ASSERT_EQ(boxes.size(), 6u);
    EXPECT_EQ(boxes[5].text,
              "The file " + std::string(kSaveFile) + " could not be deleted: Access is denied. " + stays);
    world.advance(60000);
    EXPECT_EQ(boxes.size(), 6u);
    EXPECT_EQ(programs().started().size(), 7u);
}
