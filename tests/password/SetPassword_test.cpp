// "Set Tasks Password...": the new password twice, stored as a salted hash only when the store takes it.
#include "common/AccessPassword.h"
#include "registry/RegistryEdit.h"
#include "tests/password/PasswordDialogFixture.h"
#include "tests/support/RegFileImport.h"

namespace pwtest {
namespace {

class SetPassword : public PasswordDialogScenario {
protected:
    void setPassword(const std::string& first, const std::string& confirmation) {
        open("pwd", "Configuration");
        answer(first);
        answer(confirmation);
    }
    // A later task lock, answered with the password; true when it unlocked.
    bool unlocks(const std::string& password) {
        open("cfg", "Configuration");
        answer(password);
        const bool unlocked = !shown();
        if (!unlocked) pressEscape();
        return unlocked;
    }
    const MessageBoxArgs& lastBox() { return process.shell().boxes().back(); }
};

using SetPasswordFlow = SetPassword;
using SetPasswordRefused = SetPassword;

TEST_F(SetPasswordFlow, AsksForTheNewPasswordWithoutHintOrKeptText) {
    state.rememberedPassword = "bluejay";
    open("pwd", "Configuration");
    EXPECT_EQ(prompt(), "Enter new password:");
    EXPECT_EQ(text("Label1"), "New Access Control Password:");
    EXPECT_FALSE(keep().isVisible());
    EXPECT_FALSE(keep().isChecked());
    EXPECT_EQ(box().text(), "");
    EXPECT_FALSE(world.desktop.isTopmost(dialog()->id()));
}

TEST_F(SetPasswordFlow, AnEmptyBoxDoesNothing) {
    open("pwd", "Configuration");
    pressEnter();
    EXPECT_TRUE(shown());
    EXPECT_EQ(prompt(), "Enter new password:");
    EXPECT_TRUE(process.shell().boxes().empty());
    answer("tulip");
    pressEnter();
    EXPECT_TRUE(shown());
    EXPECT_EQ(prompt(), "Confirm new password:");
}

TEST_F(SetPasswordFlow, StoresAHashThatUnlocksWhileTheOldPasswordNoLongerDoes) {
    open("pwd", "Configuration");
    answer("Tulip-Garden");
    EXPECT_EQ(prompt(), "Confirm new password:");
    EXPECT_EQ(box().text(), "");
    EXPECT_TRUE(asking(LockMode::SetPassword));
    EXPECT_EQ(storedPassword(), "<absent>");
    answer("tulip-GARDEN");
    EXPECT_FALSE(shown());
    ASSERT_EQ(process.shell().boxes().size(), 1u);
    EXPECT_EQ(lastBox().text, "Password set successfully.");
    EXPECT_EQ(lastBox().icon, MessageBoxIcon::Information);
    EXPECT_EQ(lastBox().title, "Obelon Pro");
    EXPECT_TRUE(lastBox().systemModal);

    const std::string stored = storedPassword();
    EXPECT_TRUE(stored.starts_with("pbkdf2-sha256$600000$")) << stored;
    EXPECT_EQ(stored.find("tulip"), std::string::npos);
    EXPECT_EQ(state.accessPassword, stored);
    EXPECT_EQ(world.registry.queryValue(RootKey::LocalMachine, kSettingsKey, "pwd").value().type, regtype::kSz);

    EXPECT_FALSE(unlocks("bluejay"));
    EXPECT_TRUE(unlocks("TULIP-garden"));
}

TEST_F(SetPasswordFlow, TheHintGoesWithTheDefaultAndComesBackWhenItIsSetAgain) {
    setPassword("tulip", "tulip");
    open("cfg", "Configuration");
    EXPECT_EQ(prompt(), kDefaultPrompt);
    pressEscape();
    setPassword("bluejay", "bluejay");
    EXPECT_TRUE(storedPassword().starts_with("pbkdf2-sha256$"));
    open("cfg", "Configuration");
    EXPECT_EQ(prompt(), kHint);
}

TEST_F(SetPasswordFlow, MismatchedEntriesCloseTheDialogAndKeepTheOldPassword) {
    setPassword("tulip", "tulips");
    EXPECT_FALSE(shown());
    EXPECT_FALSE(host.answering());
    EXPECT_EQ(lastBox().text, "Password's did not match!");
    EXPECT_EQ(lastBox().icon, MessageBoxIcon::Exclamation);
    EXPECT_TRUE(lastBox().systemModal);
    EXPECT_EQ(storedPassword(), "<absent>");
    EXPECT_EQ(state.accessPassword, "bluejay");
    EXPECT_TRUE(unlocks("bluejay"));
    EXPECT_FALSE(unlocks("tulip"));
}

TEST_F(SetPasswordFlow, SettingForgetsTheKeptPassword) {
    state.rememberedPassword = "bluejay";
    setPassword("tulip", "tulip");
    EXPECT_EQ(state.rememberedPassword, "");
}

TEST_F(SetPasswordFlow, APlainTextPasswordFromAnOlderInstallationStillWorks) {
    state.accessPassword = "oldsecret";
    EXPECT_TRUE(unlocks("OldSecret"));
    EXPECT_FALSE(unlocks("bluejay"));
}

TEST_F(SetPasswordRefused, AStandardUserIsToldAndTheOldPasswordStaysInForce) {
    world.registry.setMachineWideWritesDenied(true);
    setPassword("tulip", "tulip");
    EXPECT_FALSE(shown());
    ASSERT_EQ(process.shell().boxes().size(), 2u);
    EXPECT_EQ(process.shell().boxes()[0].buttons, MessageBoxButtons::YesNo);  // declined
    EXPECT_NE(lastBox().text, "Password set successfully.");
    EXPECT_NE(lastBox().text.find("could not be saved"), std::string::npos) << lastBox().text;
    EXPECT_NE(lastBox().text.find("administrative rights"), std::string::npos) << lastBox().text;
    EXPECT_EQ(lastBox().icon, MessageBoxIcon::Exclamation);
    EXPECT_TRUE(lastBox().systemModal);
    EXPECT_EQ(storedPassword(), "<absent>");
    EXPECT_EQ(state.accessPassword, "bluejay");
    EXPECT_TRUE(unlocks("bluejay"));
    EXPECT_FALSE(unlocks("tulip"));

    // Saved with administrator rights, the new password is stored as a hash and takes over.
    std::vector<std::string> imported;
    testsupport::playElevatedRegImports(process, world.registry, imported);
    process.shell().answerNext(MessageBoxAnswer::Yes);
    setPassword("tulip", "tulip");
    EXPECT_EQ(lastBox().text, "Password set successfully.");
    EXPECT_EQ(imported.size(), 1u);
    EXPECT_EQ(storedPassword().rfind("pbkdf2-sha256$", 0), 0u);
    EXPECT_TRUE(unlocks("tulip"));
}

TEST_F(SetPasswordRefused, AnExistingPasswordIsNotReplacedByAFailedWrite) {
    ASSERT_TRUE(writeStringValue(world.registry, RootKey::LocalMachine, kSettingsKey, "pwd", "oldsecret").ok());
    state.accessPassword = "oldsecret";
    world.registry.failNext(sim::SimRegistry::Op::Set, errc::kAccessDenied);
    setPassword("tulip", "tulip");
    EXPECT_EQ(storedPassword(), "oldsecret");
    EXPECT_TRUE(unlocks("oldsecret"));
    EXPECT_FALSE(unlocks("tulip"));
}

}  // namespace
}  // namespace pwtest
