// The buttons that start the files beside the program, the help file and the product web page.
#include <gtest/gtest.h>

#include "app/ConfigWindow.h"
#include "tests/support/RunningProgram.h"

using testsupport::RunningProgram;

namespace {

constexpr int kAdvancedPage = 4;
constexpr int kAboutPage = 5;

// The program installed in a folder whose name is not plain ASCII, unlocked by the administrator.
class Launchers : public ::testing::Test {
protected:
    void SetUp() override {
        program.process = std::make_unique<sim::SimInstance>(world);
        program.process->process().setProgramFilePath("D:\\Werkzeuge\\Öbelon 7\\obelon7.exe");
        program.running = program.process->run([&] {
            program.app = std::make_unique<ObelonApp>(program.process->platform());
            program.app->start();
        });
        ASSERT_TRUE(program.running);
        program.run([&] {
            program.app->state().configUnlocked = true;
            program.configForm().show();
        });
        startedBefore = shell().executed().size();
    }
    void clickOnPage(int page, const char* button) {
        program.run([&] {
            sim::control<sim::SimTabStrip>(program.configForm(), "SmartTab1")->clickTab(page);
            sim::control<sim::SimButton>(program.configForm(), button)->click();
        });
    }
    // What the click started, and nothing more.
    std::vector<ShellExecuteArgs> started() {
        const auto& all = shell().executed();
        return {all.begin() + static_cast<std::ptrdiff_t>(startedBefore), all.end()};
    }
    sim::SimShell& shell() { return program.process->shell(); }
    WindowId windowId() { return program.configForm().id(); }

    sim::SimWorld world;
    RunningProgram program;
    size_t startedBefore = 0;
};

void expectStartedBesideProgram(const ShellExecuteArgs& args, const std::string& file, WindowId owner) {
    EXPECT_EQ(args.owner, owner);
    EXPECT_EQ(args.verb, "Open");
    EXPECT_EQ(args.file, file);
    EXPECT_EQ(args.parameters, std::nullopt);
    EXPECT_EQ(args.directory, std::optional<std::string>("D:\\Werkzeuge\\Öbelon 7\\"));
    EXPECT_EQ(args.show, ShowCommand::ShowNormal);
}

}  // namespace

TEST_F(Launchers, PoliciesStartsTheExtensionAndTheProgramRunsOn) {
    clickOnPage(kAdvancedPage, "cmdPolicies");
    const auto args = started();
    ASSERT_EQ(args.size(), 1u);
    expectStartedBesideProgram(args[0], "obext.exe", windowId());
    EXPECT_TRUE(program.running);
    EXPECT_FALSE(program.process->exited());
    EXPECT_TRUE(program.configForm().isVisible());
}

TEST_F(Launchers, RepairStartsTheRepairProgram) {
    clickOnPage(kAboutPage, "cmdRepair");
    const auto args = started();
    ASSERT_EQ(args.size(), 1u);
    expectStartedBesideProgram(args[0], "repair.exe", windowId());
    EXPECT_FALSE(program.process->exited());
}

TEST_F(Launchers, CheckForUpdatesStartsTheUpdaterThenEndsTheProgram) {
    const WindowId owner = windowId();
    clickOnPage(kAboutPage, "cmdupdate");
    const auto args = started();
    ASSERT_EQ(args.size(), 1u);
    expectStartedBesideProgram(args[0], "update.exe", owner);
    EXPECT_TRUE(program.process->exited());
    EXPECT_EQ(program.process->exitCode(), 0);
    EXPECT_FALSE(world.desktop.findWindow(std::nullopt, "Obelon Pro Configuration Tool"));
}

TEST_F(Launchers, CheckForUpdatesEndsTheProgramEvenWhenTheUpdaterIsMissing) {
    shell().setExecuteResult(2);  // file not found
    clickOnPage(kAboutPage, "cmdupdate");
    EXPECT_EQ(started().size(), 1u);
    EXPECT_TRUE(program.process->exited());
    // Nothing tells the user about the missing file.
    EXPECT_TRUE(shell().boxes().empty());
}

// The help file is named by its full path, with an empty parameter text and folder rather than none.
TEST_F(Launchers, HelpManualOpensTheHelpFileByItsFullPath) {
    for (int page : {0, 3}) {
        clickOnPage(page, "cmdhelp");
    }
    const auto args = started();
    ASSERT_EQ(args.size(), 2u);
    for (const ShellExecuteArgs& help : args) {
        EXPECT_EQ(help.owner, windowId());
        EXPECT_EQ(help.verb, "Open");
        EXPECT_EQ(help.file, "D:\\Werkzeuge\\Öbelon 7\\help.chm");
        EXPECT_EQ(help.parameters, std::optional<std::string>(""));
        EXPECT_EQ(help.directory, std::optional<std::string>(""));
        EXPECT_EQ(help.show, ShowCommand::ShowNormal);
    }
    EXPECT_FALSE(program.process->exited());
}

TEST_F(Launchers, TheWebAddressButtonOpensTheAddressItShows) {
    const std::string shown = program.labelText("cmdLink");
    EXPECT_EQ(shown, kProductWebAddress);
    clickOnPage(kAboutPage, "cmdLink");
    const auto args = started();
    ASSERT_EQ(args.size(), 1u);
    EXPECT_EQ(args[0].owner, windowId());
    EXPECT_EQ(args[0].verb, "Open");
    EXPECT_EQ(args[0].file, shown);
    EXPECT_EQ(args[0].parameters, std::nullopt);
    EXPECT_EQ(args[0].directory, std::nullopt);
    EXPECT_EQ(args[0].show, ShowCommand::ShowNormal);
}

TEST_F(Launchers, AMissingFileShowsNothing) {
    shell().setExecuteResult(2);
    clickOnPage(kAdvancedPage, "cmdPolicies");
    clickOnPage(kAboutPage, "cmdRepair");
    clickOnPage(kAboutPage, "cmdhelp");
    clickOnPage(kAboutPage, "cmdLink");
    EXPECT_EQ(started().size(), 4u);
    EXPECT_TRUE(shell().boxes().empty());
    EXPECT_EQ(program.app->state().messageText, "");
    EXPECT_FALSE(program.process->exited());
}
