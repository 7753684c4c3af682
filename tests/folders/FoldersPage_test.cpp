// The Files/Folders page as the administrator uses it: picking a folder, locking and unlocking it by its
// name, encrypting and decrypting a file or a folder's files, and what the page shows meanwhile.
#include "folders/FoldersPage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ConfigWindow.h"
#include "tests/support/RunningProgram.h"

namespace {

constexpr const char* kLocked = "C:\\Data\\Private.{09799AFB-AD67-11d1-ABCD-00C04FC30936}";

// The administrator has unlocked the configuration window and looks at its Files/Folders page.
class FoldersPageScenario : public ::testing::Test {
protected:
    void SetUp() override {
        program = testsupport::startProgram(world);
        ASSERT_TRUE(program.running);
        program.openConfigWindow();
        program.run([&] { sim::control<sim::SimTabStrip>(form(), "SmartTab1")->clickTab(1); });
    }

    ui::Form& form() { return program.configForm(); }
    sim::SimFileSystem& files() { return program.process->files(); }
    FoldersPage& page() { return program.app->configWindow().foldersPage(); }
    ui::Control& control(const char* name) { return *form().findControl(name); }
    bool shown(const char* name) { return control(name).isVisible(); }
    std::string text(const char* name) { return control(name).text(); }
    int barWidth() { return form().control<ui::ProgressBar>("ProgressBar").value(); }
    void press(const char* button) { program.clickButton(button); }
    void tick(const char* box) {
        program.run([&] { sim::control<sim::SimCheckBox>(form(), box)->click(); });
    }
    void type(const char* box, const std::string& typed) {
        program.run([&] {
            sim::SimTextBox& field = *sim::control<sim::SimTextBox>(form(), box);
            field.setText("");
            field.type(typed);
        });
    }
    void browseTo(const std::string& path) {
        files().answerNextBrowse(path);
        press("cmdbrowse2");
    }
    const std::vector<MessageBoxArgs>& boxes() { return program.process->shell().boxes(); }
    int beeps() { return world.systemClock.beeps(); }

    sim::SimWorld world;
    testsupport::RunningProgram program;
};

std::string bytes(size_t count, char seed) {
    std::string data(count, '\0');
    for (size_t i = 0; i < count; ++i) data[i] = static_cast<char>(seed + i * 7 + i / 251);
    return data;
}

}  // namespace

using PageAtStart = FoldersPageScenario;

TEST_F(PageAtStart, EncryptionIsChosenAndTheRunDisplayIsHidden) {
    EXPECT_EQ(text("chkdisable"), "Lock Access to Folder");
    EXPECT_EQ(sim::control<sim::SimCheckBox>(form(), "chkdisable")->toolTip(),
              "As well as Encrypting the Folder it Locks access to it system-wide");
    EXPECT_EQ(sim::control<sim::SimButton>(form(), "cmdbrowse2")->toolTip(), "Browse");
    EXPECT_EQ(sim::control<sim::SimButton>(form(), "cmdencrypt")->toolTip(), "256 Bit AES");
    EXPECT_EQ(text("cmdencrypt"), "Encrypt 256 AES");
    EXPECT_EQ(text("cmddecrypt"), "Decrypt");
    EXPECT_EQ(text("lblerr"), "0 - No Error");
    const ui::TextBoxOptions& password = sim::control<sim::SimTextBox>(form(), "txtenpwd")->options();
    EXPECT_EQ(password.passwordChar, '*');
    EXPECT_EQ(password.maxLength, 32);
    for (const char* name : {"cmdAbort", "lblprogress", "ProgressBar", "lblerr"}) EXPECT_FALSE(shown(name)) << name;
    for (const char* name : {"chkdisable", "txtenpath", "cmdbrowse2", "txtenpwd", "chkInclude", "lblFolderHelp"}) {
        EXPECT_TRUE(shown(name)) << name;
    }
    // A cancelled picker changes nothing.
    press("cmdbrowse2");
    EXPECT_EQ(files().browses().size(), 1u);
    EXPECT_EQ(text("txtenpath"), "");
    EXPECT_EQ(page().rememberedPath(), "");
}

using FolderLock = FoldersPageScenario;

TEST_F(FolderLock, LockRenamesThePickedFolderAndUnlockGivesItsPlainNameBack) {
    files().writeFile("C:\\Data\\Private\\notes.txt", "mine");
    browseTo("C:\\Data\\Private");
    ASSERT_EQ(files().browses().size(), 1u);
    EXPECT_EQ(files().browses()[0].flags, 0x4000u);
    EXPECT_EQ(files().browses()[0].title, std::optional<std::string>("Select a File:"));
    EXPECT_EQ(files().browses()[0].owner.v, form().id().v);
    EXPECT_EQ(text("txtenpath"), "C:\\Data\\Private");

    type("txtenpwd", "secret");
    tick("chkInclude");
    tick("chkdisable");
    EXPECT_EQ(text("cmdencrypt"), "Lock Folder");
    EXPECT_EQ(text("cmddecrypt"), "Unlock");
    EXPECT_EQ(text("txtenpwd"), "");
    EXPECT_FALSE(control("txtenpwd").isEnabled());
    EXPECT_FALSE(program.checkBox("chkInclude").isChecked());
    EXPECT_FALSE(control("chkInclude").isEnabled());

    program.run([&] { form().control<ui::ProgressBar>("ProgressBar").setValue(1000); });
    press("cmdencrypt");
    EXPECT_EQ(barWidth(), 44);
    EXPECT_EQ(files().namesIn("C:\\Data"), std::vector<std::string>{"Private.{09799AFB-AD67-11d1-ABCD-00C04FC30936}"});
    EXPECT_EQ(files().readFile(std::string(kLocked) + "\\notes.txt"), "mine");
    EXPECT_EQ(text("txtenpath"), "C:\\Data\\Private");
    EXPECT_EQ(page().rememberedPath(), kLocked);
    EXPECT_TRUE(boxes().empty());

    press("cmdencrypt");
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].text, "Folder already locked, or, cannot be locked!");
    EXPECT_EQ(boxes()[0].icon, MessageBoxIcon::Exclamation);
    EXPECT_EQ(boxes()[0].title, "Obelon Pro");
    EXPECT_EQ(text("txtenpath"), "");
    EXPECT_TRUE(files().exists(kLocked));

    // Picked again later, the locked folder shows under its plain name and unlocks.
    browseTo(kLocked);
    EXPECT_EQ(text("txtenpath"), "C:\\Data\\Private");
    press("cmddecrypt");
    EXPECT_EQ(files().namesIn("C:\\Data"), std::vector<std::string>{"Private"});
    EXPECT_EQ(files().readFile("C:\\Data\\Private\\notes.txt"), "mine");
    EXPECT_EQ(text("txtenpath"), "");

    press("cmddecrypt");
    ASSERT_EQ(boxes().size(), 2u);
    EXPECT_EQ(boxes()[1].text, "Folder doesn't appear to be locked. Please check and try again.");
    EXPECT_EQ(boxes()[1].icon, MessageBoxIcon::Exclamation);

    tick("chkdisable");
    EXPECT_EQ(text("cmdencrypt"), "Encrypt");
    EXPECT_EQ(text("cmddecrypt"), "Decrypt");
    EXPECT_TRUE(control("txtenpwd").isEnabled());
    EXPECT_TRUE(control("chkInclude").isEnabled());
}

TEST_F(FolderLock, PathsThatCannotBeLockedOrUnlockedLeaveEveryNameAsItWas) {
    files().makeFolder("C:\\Users\\first.last\\Private");
    files().writeFile("C:\\Docs\\report.txt", "r");
    files().makeFolder("C:\\Typed");
    tick("chkdisable");

    // Typed by hand, never picked: there is nothing to rename.
    type("txtenpath", "C:\\Typed");
    tick("chkInclude");
    press("cmdencrypt");
    EXPECT_EQ(text("lblerr"), "The system cannot find the path specified.");
    EXPECT_TRUE(shown("lblerr"));
    EXPECT_EQ(files().namesIn("C:\\"), (std::vector<std::string>{"Docs", "Typed", "Users"}));

    browseTo("C:\\Users\\first.last\\Private");
    EXPECT_EQ(text("txtenpath"), "C:\\Users\\first");
    press("cmdencrypt");
    EXPECT_EQ(boxes().back().text, "Folder already locked, or, cannot be locked!");
    EXPECT_EQ(files().namesIn("C:\\Users\\first.last"), std::vector<std::string>{"Private"});

    // Neither a file that was never locked nor a folder below a dotted one is renamed by "Unlock".
    browseTo("C:\\Docs\\report.txt");
    EXPECT_EQ(text("txtenpath"), "C:\\Docs\\report");
    press("cmddecrypt");
    EXPECT_EQ(boxes().back().text, "Folder doesn't appear to be locked. Please check and try again.");
    browseTo("C:\\Users\\first.last\\Private");
    press("cmddecrypt");
    EXPECT_EQ(boxes().back().text, "Folder doesn't appear to be locked. Please check and try again.");
    EXPECT_EQ(files().namesIn("C:\\Docs"), std::vector<std::string>{"report.txt"});
    EXPECT_EQ(files().namesIn("C:\\Users"), std::vector<std::string>{"first.last"});

    // Nor encrypted or decrypted while the picked path has a ".".
    tick("chkdisable");
    type("txtenpwd", "pw");
    press("cmdencrypt");
    EXPECT_EQ(boxes().back().text,
              "This folder cannot be encrypted, it may have a lock on it. Remove the lock to continue.");
    press("cmddecrypt");
    EXPECT_EQ(boxes().back().text,
              "This folder cannot be decrypted, it may have a lock on it. Remove the lock to continue.");
    EXPECT_EQ(boxes().back().icon, MessageBoxIcon::Exclamation);
    EXPECT_EQ(files().namesIn("C:\\Users\\first.last\\Private"), std::vector<std::string>{});
}

TEST_F(FolderLock, TheHelpLinkExplainsLockingWithoutEncryption) {
    program.run([&] { sim::control<sim::SimLabel>(form(), "lblFolderHelp")->click(); });
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].text,
              "To have the folder access disable without encrypting it, simply leave the password field blank and "
              "click encrypt. The folder will be disabled but not encrypted.");
    EXPECT_EQ(boxes()[0].icon, MessageBoxIcon::None);
    EXPECT_EQ(boxes()[0].buttons, MessageBoxButtons::Ok);
}

using FolderEncryption = FoldersPageScenario;

TEST_F(FolderEncryption, EveryVisibleFileDirectlyInsideIsEncryptedAndComesBackOnlyWithTheRightPassword) {
    const std::string a = bytes(200 * 1024, 'a');
    files().writeFile("C:\\Box\\a.txt", a);
    files().writeFile("C:\\Box\\b.ob7", "not ours");
    files().writeFile("C:\\Box\\hidden.txt", "h");
    ASSERT_TRUE(files().setAttributes("C:\\Box\\hidden.txt", fileattr::kHidden).ok());
    files().writeFile("C:\\Box\\system.txt", "s");
    ASSERT_TRUE(files().setAttributes("C:\\Box\\system.txt", fileattr::kSystem).ok());
    files().writeFile("C:\\Box\\Inner\\deep.txt", "d");

    type("txtenpath", "C:\\Box");
    type("txtenpwd", "right");
    tick("chkInclude");
    press("cmdencrypt");
    EXPECT_EQ(files().namesIn("C:\\Box"),
              (std::vector<std::string>{"Inner", "a.txt.ob7", "b.ob7", "hidden.txt", "system.txt"}));
    EXPECT_EQ(files().readFile("C:\\Box\\b.ob7"), "not ours");
    EXPECT_EQ(files().readFile("C:\\Box\\Inner\\deep.txt"), "d");
    EXPECT_EQ(page().lastReportedError().number, 0);
    EXPECT_EQ(page().lastReportedError().text, "No Errors Reported.");
    EXPECT_FALSE(shown("lblerr"));
    EXPECT_FALSE(shown("lblprogress"));
    EXPECT_FALSE(shown("ProgressBar"));
    EXPECT_FALSE(shown("cmdAbort"));
    EXPECT_EQ(barWidth(), 2190);

    // A second extension that decryption takes, and a plain file it passes over.
    ASSERT_TRUE(files().rename("C:\\Box\\a.txt.ob7", "C:\\Box\\a.txt.obp").ok());
    files().writeFile("C:\\Box\\c.txt", "c");
    type("txtenpwd", "wrong");
    press("cmddecrypt");
    EXPECT_TRUE(shown("lblerr"));
    EXPECT_NE(page().lastReportedError().number, 0);
    EXPECT_EQ(text("lblerr"),
              std::to_string(page().lastReportedError().number) + " - " + page().lastReportedError().text);
    EXPECT_TRUE(files().exists("C:\\Box\\a.txt.obp"));
    EXPECT_FALSE(files().exists("C:\\Box\\a.txt"));

    type("txtenpwd", "right");
    press("cmddecrypt");
    EXPECT_EQ(files().readFile("C:\\Box\\a.txt"), a);
    EXPECT_FALSE(files().exists("C:\\Box\\a.txt.obp"));
    EXPECT_EQ(files().readFile("C:\\Box\\c.txt"), "c");
    // b.ob7 was never an encrypted file: it stays, and the run says so.
    EXPECT_TRUE(files().exists("C:\\Box\\b.ob7"));
    EXPECT_NE(text("lblerr").find("b.ob7"), std::string::npos);
}

TEST_F(FolderEncryption, ASingleFileIsNamedInLowerCaseBothWays) {
    files().writeFile("C:\\Docs\\Report.TXT", "quarterly");
    type("txtenpath", "C:\\Docs\\Report.TXT");
    type("txtenpwd", "pw");
    press("cmdencrypt");
    EXPECT_EQ(files().namesIn("C:\\Docs"), std::vector<std::string>{"report.txt.ob7"});

    type("txtenpath", "C:\\DOCS\\REPORT.TXT.OB7");
    type("txtenpwd", "not it");
    press("cmddecrypt");
    EXPECT_EQ(files().namesIn("C:\\Docs"), std::vector<std::string>{"report.txt.ob7"});
    EXPECT_TRUE(shown("lblerr"));
    EXPECT_NE(text("lblerr"), "");

    // A run that goes well shows no error, not the one of the run before.
    type("txtenpwd", "pw");
    press("cmddecrypt");
    EXPECT_EQ(text("lblerr"), "");
    EXPECT_EQ(files().namesIn("C:\\Docs"), std::vector<std::string>{"report.txt"});
    EXPECT_EQ(files().readFile("c:\\docs\\report.txt"), "quarterly");

    // A single path that already ends in "ob7" is not encrypted again.
    files().writeFile("C:\\Docs\\old.ob7", "x");
    type("txtenpath", "C:\\Docs\\old.ob7");
    press("cmdencrypt");
    EXPECT_EQ(files().namesIn("C:\\Docs"), (std::vector<std::string>{"old.ob7", "report.txt"}));
    EXPECT_TRUE(boxes().empty());
}

TEST_F(FolderEncryption, InAFolderOnlyLowerCaseExtensionsAreDecrypted) {
    files().writeFile("C:\\Box\\a.txt", "a");
    type("txtenpath", "C:\\Box\\a.txt");
    type("txtenpwd", "pw");
    press("cmdencrypt");
    ASSERT_TRUE(files().rename("C:\\Box\\a.txt.ob7", "C:\\Box\\A.TXT.OB7").ok());
    type("txtenpath", "C:\\Box");
    tick("chkInclude");
    press("cmddecrypt");
    EXPECT_EQ(files().namesIn("C:\\Box"), std::vector<std::string>{"A.TXT.OB7"});
}

using RunRefusals = FoldersPageScenario;

TEST_F(RunRefusals, EmptyPasswordShortPathsAndAMissingFolderStopTheClickAsTheyShould) {
    files().writeFile("C:\\Docs\\a.txt", "a");
    type("txtenpath", "C:\\Docs\\a.txt");
    press("cmdencrypt");
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].text, "Enter a password to continue.");
    EXPECT_EQ(boxes()[0].icon, MessageBoxIcon::None);
    press("cmddecrypt");
    EXPECT_EQ(boxes().size(), 2u);
    EXPECT_FALSE(shown("cmdAbort"));
    EXPECT_EQ(files().namesIn("C:\\Docs"), std::vector<std::string>{"a.txt"});

    type("txtenpwd", "pw");
    type("txtenpath", "C:");
    press("cmdencrypt");
    EXPECT_EQ(beeps(), 1);
    EXPECT_TRUE(shown("cmdAbort"));
    EXPECT_FALSE(shown("ProgressBar"));
    EXPECT_EQ(boxes().size(), 2u);

    // Three characters leave no name once the extension is cut off.
    type("txtenpath", "C:\\");
    tick("chkInclude");
    press("cmddecrypt");
    EXPECT_EQ(text("lblerr"), "The parameter is incorrect.");
    EXPECT_TRUE(shown("lblerr"));
    EXPECT_FALSE(program.checkBox("chkInclude").isChecked());

    type("txtenpath", "C:\\Nowhere");
    tick("chkInclude");
    press("cmdencrypt");
    EXPECT_EQ(text("lblerr"), "The system cannot find the path specified.");
    EXPECT_FALSE(program.checkBox("chkInclude").isChecked());
    // The failed run leaves its progress display up until a run completes.
    EXPECT_TRUE(shown("ProgressBar"));
    EXPECT_EQ(barWidth(), 44);
    EXPECT_EQ(files().namesIn("C:\\Docs"), std::vector<std::string>{"a.txt"});

    // A relative, drive-relative or rooted path would be taken from the program's current folder (the system
    // folder at logon): refused, both ways, with the form it needs.
    for (const char* typed : {"..\\Docs\\a.txt", "Docs\\a.txt", "C:a.txt", "\\Docs\\a.txt"}) {
        type("txtenpath", typed);
        press("cmdencrypt");
        press("cmddecrypt");
    }
    ASSERT_EQ(boxes().size(), 10u);
    EXPECT_EQ(boxes().back().icon, MessageBoxIcon::Exclamation);
    EXPECT_NE(boxes().back().text.find("full path"), std::string::npos);
    EXPECT_EQ(files().namesIn("C:\\Docs"), std::vector<std::string>{"a.txt"});
}

TEST_F(RunRefusals, AbortInTheMiddleLeavesTheFileAsItWasAndSaysSo) {
    const std::string big = bytes(1024 * 1024, 'z');
    files().writeFile("C:\\Docs\\big.bin", big);
    type("txtenpath", "C:\\Docs\\big.bin");
    type("txtenpwd", "pw");
    bool duringRun = false;
    bool secondStartAsked = true;
    int widthDuringRun = -1;
    world.clock.post(program.process->id(), [&] {
        duringRun = shown("cmdAbort") && shown("lblprogress") && shown("ProgressBar");
        widthDuringRun = barWidth();
        // Leaving now would leave the file half written: refused, with the way out. A second start is told the
        // same, once, instead of hiding the window (and its Abort) behind the password.
        program.clickButton("cmdExit");
        program.clickButton("cmdupdate");
        (void)world.desktop.createWindow("#obelon init", "ObelonForm", false, 8100);
        world.clock.advance(2500, program.process->id());
        secondStartAsked = program.openLock() != nullptr;
        program.showPageOf("cmdAbort");
        sim::control<sim::SimButton>(form(), "cmdAbort")->click();
    });
    press("cmdencrypt");
    EXPECT_TRUE(program.running);
    ASSERT_EQ(boxes().size(), 3u);
    EXPECT_NE(boxes()[0].text.find("Press Abort or wait"), std::string::npos);
    EXPECT_EQ(boxes()[1].text, boxes()[0].text);
    EXPECT_EQ(boxes()[2].text, boxes()[0].text);
    EXPECT_FALSE(secondStartAsked);
    EXPECT_TRUE(program.process->shell().executed().empty());  // no updater started
    EXPECT_TRUE(duringRun);
    EXPECT_GE(widthDuringRun, 0);
    EXPECT_LT(widthDuringRun, 2190);
    EXPECT_EQ(files().namesIn("C:\\Docs"), std::vector<std::string>{"big.bin"});
    EXPECT_EQ(files().readFile("C:\\Docs\\big.bin"), big);
    EXPECT_TRUE(shown("lblerr"));
    EXPECT_NE(page().lastReportedError().number, 0);
    EXPECT_FALSE(shown("cmdAbort"));
    EXPECT_FALSE(shown("ProgressBar"));
}

TEST(ProgressBarWidth, PercentTimes219TenthsOfATwipRoundedToEvenAndFullWhenOutOfRange) {
    EXPECT_EQ(progressBarTwips(0), 0);
    EXPECT_EQ(progressBarTwips(50), 1095);
    EXPECT_EQ(progressBarTwips(5), 110);   // 109.5
    EXPECT_EQ(progressBarTwips(15), 328);  // 328.5
    EXPECT_EQ(progressBarTwips(100), 2190);
    EXPECT_EQ(progressBarTwips(1496), 32762);
    EXPECT_EQ(progressBarTwips(1497), 2190);
    EXPECT_EQ(progressBarTwips(2000), 2190);
    EXPECT_EQ(progressBarTwips(-5), 0);
}
