// The password dialog inside the running program: the configuration lock at start, a new password that the next
// start of the program loads, and the shutdown that closes the dialog.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/RunningProgram.h"

namespace {

class ProgramPasswords : public ::testing::Test {
protected:
    void start() {
        program = testsupport::startProgram(world);
        ASSERT_TRUE(program.running);
    }
    // Ends the program as logging off does, so that the next start is a first instance again.
    void stop() { program.stop(); }
    sim::SimForm* dialog() { return program.passwordDialog(); }
    bool shown() { return dialog() && dialog()->isVisible(); }
    void answer(const std::string& password) { program.answerPassword(password); }
    std::string prompt() { return dialog()->findControl("lblDefaultPass")->text(); }

    sim::SimWorld world;
    testsupport::RunningProgram program;
};

TEST_F(ProgramPasswords, AtStartTheConfigurationWaitsBehindRestrictions) {
    start();
    ASSERT_TRUE(shown());
    EXPECT_EQ(dialog()->caption(), "Restrictions");
    ASSERT_TRUE(program.openLock());
    EXPECT_EQ(program.openLock()->mode, LockMode::Configuration);
    EXPECT_FALSE(program.configForm().isVisible());
    EXPECT_EQ(prompt(), "The default password is BLUEJAY.");
    answer("robin");
    EXPECT_EQ(prompt(), "Password is Invalid.");
    EXPECT_FALSE(program.configForm().isVisible());
    answer("bluejay");
    EXPECT_FALSE(shown());
    EXPECT_TRUE(program.configForm().isVisible());
    EXPECT_EQ(program.configForm().caption(), "Obelon Pro Configuration Tool");
}

TEST_F(ProgramPasswords, ANewPasswordIsLoadedByTheNextStart) {
    start();
    answer("bluejay");
    program.clickButton("cmdsetpassword");
    ASSERT_TRUE(shown());
    ASSERT_TRUE(program.openLock());
    EXPECT_EQ(program.openLock()->mode, LockMode::SetPassword);
    answer("Heron");
    answer("heron");
    ASSERT_FALSE(program.process->shell().boxes().empty());
    EXPECT_EQ(program.process->shell().boxes().back().text, "Password set successfully.");
    stop();

    start();
    ASSERT_TRUE(shown());
    EXPECT_EQ(prompt(), "Enter a password to continue, or, contact your network administrator.");
    answer("bluejay");
    EXPECT_EQ(prompt(), "Password is Invalid.");
    answer("HERON");
    EXPECT_TRUE(program.configForm().isVisible());
}

// The real shutdown's list: whichever dialogs the program has made, always in the same order.
TEST_F(ProgramPasswords, TheShutdownClosesTheEditorAndThePasswordDialogBeforeTheMessage) {
    start();
    const auto toClose = [&] {
        std::vector<std::string> names;
        for (ui::Form* form : program.app->configWindow().dialogsToClose()) names.push_back(form->name());
        return names;
    };
    EXPECT_EQ(toClose(), std::vector<std::string>{"frmPassword"});
    program.run([&] {
        program.app->state().messageText = "Message";
        program.app->messageDialog().show();
    });
    EXPECT_EQ(toClose(), (std::vector<std::string>{"frmPassword", "frmError"}));
    answer("bluejay");
    program.clickButton("cmdIgnore");
    EXPECT_EQ(toClose(), (std::vector<std::string>{"frmignore", "frmError"}));
}

}  // namespace
