// The notification-area icon and the ways back into the configuration window: the icon's click,
// the window becoming active, and "Cancel".
#include <gtest/gtest.h>

#include "common/SystemTray.h"
#include "registry/RegistryEdit.h"
#include "tests/support/Accounts.h"
#include "tests/support/RunningProgram.h"

using testsupport::RunningProgram;
using testsupport::startProgram;

namespace {

constexpr const char* kSettings = "Software\\OBP\\Settings";
constexpr int kLeftButtonDown = 513;
constexpr int kLeftButtonUp = 514;
constexpr int kRightButtonUp = 517;

class ConfigWindowScenario : public ::testing::Test {
protected:
    void start() {
        program = startProgram(world);
        ASSERT_TRUE(program.running);
    }
    // The right password in the dialog that every start opens for the configuration.
    void unlock() {
        program.answerPassword("bluejay");
        ASSERT_TRUE(program.configForm().isVisible());
    }
    // Cancel on the dialog that every start opens.
    void dismiss() { program.cancelPasswordDialogs(); }
    void click(const char* button) {
        program.run([&] { sim::control<sim::SimButton>(program.configForm(), button)->click(); });
    }
    void clickTab(int page) {
        program.run([&] { sim::control<sim::SimTabStrip>(program.configForm(), "SmartTab1")->clickTab(page); });
    }
    bool clickTray(int message) {
        bool delivered = false;
        program.run([&] { delivered = shell().clickTray(windowId(), kTrayIconId, message); });
        return delivered;
    }
    void letEventsRun() {
        program.run([&] { program.process->toolkit().processEvents(); });
    }
    sim::SimShell& shell() { return program.process->shell(); }
    WindowId windowId() { return program.configForm().id(); }
    std::optional<TrayIconArgs> icon() { return shell().trayIcon(windowId(), kTrayIconId); }
    bool asksForConfiguration(const std::string& label) {
        const LockRequest* open = program.openLock();
        return open && open->mode == LockMode::Configuration && open->label == label &&
               program.passwordDialog()->findControl("lblTask")->text() == label;
    }

    sim::SimWorld world;
    RunningProgram program;
};

using TrayIcon = ConfigWindowScenario;
using TrayClick = ConfigWindowScenario;
using ConfigWindowAccess = ConfigWindowScenario;

}  // namespace

TEST_F(TrayIcon, AStandardUserGetsTheStandardTipAndPicture) {
    start();
    ASSERT_TRUE(icon());
    EXPECT_EQ(icon()->tip, "Obelon Pro - Standard User");
    EXPECT_EQ(icon()->image, TrayImage::Standard);
    EXPECT_EQ(shell().trayIconCount(), 1);
}

TEST_F(TrayIcon, AnExemptAccountGetsTheAdministratorTipAndTheUnlockPicture) {
    SetStringValue(world.registry, RootKey::LocalMachine, testsupport::accountKey(), "CurrentUser", "Enabled");
    start();
    ASSERT_TRUE(icon());
    EXPECT_EQ(icon()->tip, "Obelon Pro - Administrator");
    EXPECT_EQ(icon()->image, TrayImage::Administrator);
}

// The exemption is a case-sensitive text of the account's own machine-wide key: one among the shared settings,
// another account's, or one the user wrote into his own hive exempts nobody.
TEST_F(TrayIcon, OnlyTheExactTextOfThisAccountMakesTheAdministratorIcon) {
    SetStringValue(world.registry, RootKey::LocalMachine, testsupport::accountKey(), "CurrentUser", "enabled");
    SetStringValue(world.registry, RootKey::LocalMachine, kSettings, "CurrentUser", "Enabled");
    SetStringValue(world.registry, RootKey::LocalMachine, config::accountKey("S-1-5-21-1-2-3-500"), "CurrentUser",
                   "Enabled");
    SetStringValue(world.registry, RootKey::CurrentUser, kSettings, "CurrentUser", "Enabled");
    start();
    ASSERT_TRUE(icon());
    EXPECT_EQ(icon()->tip, "Obelon Pro - Standard User");
    EXPECT_EQ(icon()->image, TrayImage::Standard);
}

TEST_F(TrayIcon, SwitchingTheExemptionChangesTheIconAtTheNextLoad) {
    start();
    SetStringValue(world.registry, RootKey::LocalMachine, testsupport::accountKey(), "CurrentUser", "Enabled");
    EXPECT_EQ(icon()->tip, "Obelon Pro - Standard User");
    program.reload();
    ASSERT_TRUE(icon());
    EXPECT_EQ(icon()->tip, "Obelon Pro - Administrator");
    EXPECT_EQ(shell().trayIconCount(), 1);
    SetStringValue(world.registry, RootKey::LocalMachine, testsupport::accountKey(), "CurrentUser", "Disabled");
    program.reload();
    ASSERT_TRUE(icon());
    EXPECT_EQ(icon()->tip, "Obelon Pro - Standard User");
    EXPECT_EQ(icon()->image, TrayImage::Standard);
}

TEST_F(TrayIcon, NoTrayIconSettingShowsNoIcon) {
    SetStringValue(world.registry, RootKey::LocalMachine, kSettings, "Tray", "1");
    start();
    EXPECT_FALSE(icon());
    EXPECT_EQ(shell().trayIconCount(), 0);
    EXPECT_TRUE(program.checkBox("chkTray").isChecked());
}

TEST_F(TrayIcon, OnlyTheExactOneHidesTheIcon) {
    SetStringValue(world.registry, RootKey::LocalMachine, kSettings, "Tray", "01");
    start();
    EXPECT_TRUE(icon());
    EXPECT_FALSE(program.checkBox("chkTray").isChecked());
}

TEST_F(TrayIcon, TheSettingTakesAShownIconAwayAtTheNextLoad) {
    start();
    ASSERT_TRUE(icon());
    SetStringValue(world.registry, RootKey::LocalMachine, kSettings, "Tray", "1");
    program.reload();
    EXPECT_FALSE(icon());
    EXPECT_EQ(shell().trayIconCount(), 0);
}

TEST_F(TrayIcon, UncheckingNoTrayIconAndApplyingBringsItBack) {
    SetStringValue(world.registry, RootKey::LocalMachine, kSettings, "Tray", "1");
    start();
    unlock();
    clickTab(2);
    program.run([&] { program.checkBox("chkTray").click(); });
    click("cmdok");
    EXPECT_EQ(GetStringValue(world.registry, RootKey::LocalMachine, kSettings, "Tray"), "0");
    ASSERT_TRUE(icon());
    EXPECT_EQ(icon()->tip, "Obelon Pro - Standard User");
}

TEST_F(TrayIcon, ShuttingDownTakesTheIconAway) {
    start();
    ASSERT_TRUE(icon());
    unlock();
    clickTab(5);
    click("cmdExit");
    EXPECT_TRUE(program.process->exited());
    EXPECT_EQ(shell().trayIconCount(), 0);
}

TEST_F(TrayIcon, TheWindowGoingAwayTakesTheIconWithIt) {
    start();
    ASSERT_TRUE(icon());
    const WindowId owner = windowId();
    program.app.reset();
    EXPECT_FALSE(shell().trayIcon(owner, kTrayIconId));
}

TEST_F(TrayClick, LeftButtonUpAsksForTheConfigurationPassword) {
    start();
    dismiss();
    ASSERT_TRUE(clickTray(kLeftButtonUp));
    EXPECT_TRUE(asksForConfiguration("Configuration"));
    // The dialog comes first; the window itself stays hidden until the password is given.
    EXPECT_FALSE(program.configForm().isVisible());
    EXPECT_FALSE(program.app->state().configUnlocked);
}

TEST_F(TrayClick, LeftButtonUpAsksAgainEvenWhileTheWindowIsUnlocked) {
    start();
    unlock();
    ASSERT_TRUE(clickTray(kLeftButtonUp));
    EXPECT_TRUE(asksForConfiguration("Configuration"));
    // The unlocked window is left as it is.
    EXPECT_TRUE(program.configForm().isVisible());
    EXPECT_TRUE(program.app->state().configUnlocked);
}

TEST_F(TrayClick, OtherMouseMessagesDoNothing) {
    start();
    dismiss();
    for (int message : {512, kLeftButtonDown, 515, 516, kRightButtonUp, 0, -514}) {
        ASSERT_TRUE(clickTray(message));
    }
    EXPECT_FALSE(program.openLock());
    EXPECT_FALSE(program.configForm().isVisible());
}

TEST_F(TrayClick, WithoutAnIconThereIsNothingToClick) {
    SetStringValue(world.registry, RootKey::LocalMachine, kSettings, "Tray", "1");
    start();
    dismiss();
    EXPECT_FALSE(clickTray(kLeftButtonUp));
    EXPECT_FALSE(program.openLock());
}

TEST_F(ConfigWindowAccess, BroughtForwardWhileLockedItHidesAndAsksForThePassword) {
    start();
    dismiss();
    // Another program shows the hidden window and brings it to the front.
    (void)world.desktop.showWindowAsync(windowId(), ShowCommand::ShowNormal);
    world.desktop.setForeground(windowId());
    letEventsRun();
    // This way in does not name what is locked.
    EXPECT_TRUE(asksForConfiguration(""));
    EXPECT_FALSE(program.configForm().isVisible());
}

TEST_F(ConfigWindowAccess, WhileUnlockedBecomingActiveDoesNothing) {
    start();
    unlock();
    world.desktop.createWindow("Untitled - Notepad", "Notepad");
    ASSERT_NE(world.desktop.foregroundWindow(), windowId());
    ASSERT_TRUE(program.process->toolkit().activate(program.configForm()));
    letEventsRun();
    EXPECT_TRUE(program.configForm().isVisible());
    EXPECT_FALSE(program.openLock());
}

TEST_F(ConfigWindowAccess, HiddenByOtherMeansItStaysUnlocked) {
    start();
    unlock();
    (void)world.desktop.showWindowAsync(windowId(), ShowCommand::Hide);
    (void)world.desktop.showWindowAsync(windowId(), ShowCommand::ShowNormal);
    world.desktop.setForeground(windowId());
    letEventsRun();
    EXPECT_TRUE(program.configForm().isVisible());
    EXPECT_FALSE(program.openLock());
}

TEST_F(ConfigWindowAccess, CancelLocksHidesAndPutsBackItsCaption) {
    start();
    unlock();
    click("cmdok");
    ASSERT_EQ(program.labelText("cmdcancel"), "Close");
    click("cmdcancel");
    EXPECT_FALSE(program.configForm().isVisible());
    EXPECT_FALSE(program.app->state().configUnlocked);
    EXPECT_EQ(program.labelText("cmdcancel"), "Cancel");
    EXPECT_TRUE(program.running);
    EXPECT_TRUE(icon());
}

TEST_F(ConfigWindowAccess, AfterCancelTheWindowAsksForThePasswordAgain) {
    start();
    unlock();
    click("cmdcancel");
    (void)world.desktop.showWindowAsync(windowId(), ShowCommand::ShowNormal);
    world.desktop.setForeground(windowId());
    letEventsRun();
    EXPECT_TRUE(asksForConfiguration(""));
    EXPECT_FALSE(program.configForm().isVisible());
}

// Another program shows the locked window without activating it: none of its controls obey a click, so neither
// "Shut Down OB" nor the administrator box can be reached without the password.
TEST_F(ConfigWindowAccess, ShownWithoutActivationByAnotherProgramItObeysNoClick) {
    start();
    dismiss();
    (void)world.desktop.showWindowAsync(windowId(), ShowCommand::ShowNoActivate);
    ASSERT_TRUE(program.configForm().isVisible());
    clickTab(5);
    click("cmdExit");
    program.clickCheckBox("chkAdmin");
    EXPECT_TRUE(shell().boxes().empty());
    EXPECT_TRUE(program.running);
    EXPECT_FALSE(program.checkBox("chkAdmin").isChecked());
    EXPECT_EQ(GetStringValue(world.registry, RootKey::LocalMachine, testsupport::accountKey(), "CurrentUser"), "");
}
