// The controls of the configuration window and where they sit.
#include "app/ConfigWindow.h"

namespace {
constexpr int kTasks = 0;
constexpr int kFiles = 1;
constexpr int kSettings = 2;
constexpr int kUsers = 3;
constexpr int kAdvanced = 4;
constexpr int kAbout = 5;
constexpr int kClientHeight = 420;  // the debug panel lies below this, out of sight
}  // namespace

void ConfigWindow::createControls() {
    m_form = m_platform.ui.createForm(
        {.name = "frmobelon", .caption = "#obelon init", .width = 520, .height = kClientHeight});
    SmartTab1 = &m_form->addTabStrip({.name = "SmartTab1", .caption = "", .rect = {8, 8, 504, 360}},
                                     {"Tasks", "Files/Folders", "Settings", "Users", "Advanced", "About"});
    createTasksPage();
    createFilesPage();
    createSettingsPage();
    createUsersPage();
    createAdvancedPage();
    createAboutPage();
    cmdhelp = &m_form->addButton({.name = "cmdhelp", .caption = "Help Manual", .rect = {8, 380, 110, 28}});
    cmdcancel = &m_form->addButton({.name = "cmdcancel", .caption = "Cancel", .rect = {300, 380, 100, 28}});
    cmdok = &m_form->addButton({.name = "cmdok", .caption = "Apply", .rect = {412, 380, 100, 28}});
    createDebugPanel();
}

void ConfigWindow::createTasksPage() {
    ui::Form& f = *m_form;
    f.addLabel({"Label2", "Select a Task to Lock, or, click Browse.", {20, 40, 380, 18}, kTasks});
    f.addListBox({"lstTasks", "", {20, 62, 370, 250}, kTasks}, {.checkBoxes = true, .sorted = false});
    f.addButton({"cmdadd", "Browse", {400, 62, 96, 28}, kTasks});
    f.addButton({"cmddel", "Remove", {400, 96, 96, 28}, kTasks});
    f.addLabel({"lblTaskCount", "Tasks Locked: 0", {20, 318, 200, 18}, kTasks});
    f.addLabel({"lblFolderLink", "Lock Access to Folders - See Files/Folders", {20, 340, 370, 18}, kTasks});
}

void ConfigWindow::createFilesPage() {
    ui::Form& f = *m_form;
    const char* lockTip = "As well as Encrypting the Folder it Locks access to it system-wide";
    f.addCheckBox({"chkdisable", "Lock Access to Folder", {20, 44, 300, 20}, kFiles, lockTip});
    f.addLabel({"Label3", "Enter a file or folder to Lock or Encrypt:", {20, 72, 380, 18}, kFiles});
    f.addTextBox({"txtenpath", "", {20, 92, 370, 24}, kFiles}, {});
    f.addButton({"cmdbrowse2", "Browse...", {400, 90, 96, 28}, kFiles, "Browse"});
    f.addLabel({"Label4", "Password:", {20, 126, 100, 18}, kFiles});
    f.addTextBox({"txtenpwd", "", {20, 146, 250, 24}, kFiles}, {.passwordChar = '*', .maxLength = 32});
    f.addButton({"cmdencrypt", "Encrypt 256 AES", {20, 210, 140, 28}, kFiles, "256 Bit AES"});
    f.addButton({"cmddecrypt", "Decrypt", {170, 210, 110, 28}, kFiles});
    f.addCheckBox({"chkInclude", "Include all files", {20, 180, 250, 20}, kFiles});
    // Shown only while a run goes on, or after it reported an error.
    f.addButton({"cmdAbort", "Abort", {290, 210, 100, 28}, kFiles}).setVisible(false);
    f.addLabel({"lblprogress", "Progress:", {20, 252, 100, 18}, kFiles}).setVisible(false);
    // 2190 twips, the width of a full bar.
    f.addProgressBar({"ProgressBar", "", {20, 272, 146, 20}, kFiles}).setVisible(false);
    f.addLabel({"lblerr", "0 - No Error", {20, 302, 470, 36}, kFiles}).setVisible(false);
    f.addLabel({"lblFolderHelp", "How to Lock Access to a Folder without Encrypting it", {20, 340, 370, 18}, kFiles});
}

void ConfigWindow::createSettingsPage() {
    ui::Form& f = *m_form;
    chkTray = &f.addCheckBox({"chkTray", "No Tray Icon", {20, 48, 300, 20}, kSettings});
    f.addButton({"cmdIgnore", "Ignored Tasks List...", {20, 84, 200, 28}, kSettings});
    cmdsetpassword = &f.addButton({"cmdsetpassword", "Set Tasks Password...", {20, 120, 200, 28}, kSettings});
}

void ConfigWindow::createUsersPage() {
    ui::Form& f = *m_form;
    f.addCheckBox({"chkAdmin", "Administrator (this user account will not be restricted)", {20, 44, 470, 20}, kUsers});
    f.addFrame({"Frame2", "Disable this users Windows Account after:", {20, 80, 470, 110}, kUsers});
    f.addLabel({"Label5", "Timer:", {36, 108, 60, 18}, kUsers});
    f.addTextBox({"txtrelock", "0", {100, 104, 60, 24}, kUsers}, {.maxLength = 3});
    f.addLabel({"Label6", "Mins (0 = off)", {170, 108, 150, 18}, kUsers});
    f.addLabel({"Label7", "Setting takes effect on next logon", {36, 146, 400, 18}, kUsers});
    f.addLabel({"Label8", "Copy the Configuration to other computers.", {20, 206, 470, 18}, kUsers});
    f.addButton({"cmdImport", "Import...", {20, 228, 110, 28}, kUsers});
    f.addButton({"cmdExport", "Export...", {140, 228, 110, 28}, kUsers}).setMousePointer(ui::MousePointer::Custom);
}

void ConfigWindow::createAdvancedPage() {
    ui::Form& f = *m_form;
    f.addCheckBox({"chkLock3Party", "Third-Party Browers", {20, 44, 230, 20}, kAdvanced});
    f.addLabel({"lblBrowsers", "Inc. Firefox, Netscape and Opera", {38, 64, 212, 18}, kAdvanced});
    f.addCheckBox({"chkLockIE2", "Internet Explorer", {20, 88, 230, 20}, kAdvanced});
    f.addCheckBox({"chkTaskManager1", "Task Manager", {20, 114, 230, 20}, kAdvanced});
    f.addCheckBox({"chkLockEx1", "Windows Explorer", {20, 140, 230, 20}, kAdvanced});
    f.addCheckBox({"chklockinstall1", "Block Application Installation", {260, 44, 230, 20}, kAdvanced});
    f.addCheckBox({"chkDisableRegistry", "Registry Editing Tools", {260, 70, 230, 20}, kAdvanced});
    f.addCheckBox({"chkHideSM", "Start Menu && Start Button", {260, 96, 230, 20}, kAdvanced});
    // Kept, unseen: ticked, it would lock the whole desktop at every start without a word. The start-up lock is
    // set through the registry or the Group Policy template instead.
    f.addCheckBox({"chkStartup", "Windows at Startup", {260, 122, 230, 20}, kAdvanced}).setVisible(false);
    cmdPolicies = &f.addButton({"cmdPolicies", "Policies...", {20, 176, 120, 28}, kAdvanced});
}

void ConfigWindow::createAboutPage() {
    ui::Form& f = *m_form;
    f.addLabel({"lbltitle", "Obelon Pro", {20, 44, 300, 24}, kAbout});
    lblAbout = &f.addLabel({"lblAbout", "", {20, 76, 470, 80}, kAbout});
    cmdLink = &f.addButton({"cmdLink", kProductWebAddress, {20, 166, 300, 28}, kAbout});
    cmdRepair = &f.addButton({"cmdRepair", "Repair...", {20, 210, 140, 28}, kAbout});
    cmdupdate = &f.addButton({"cmdupdate", "Check for Updates", {170, 210, 160, 28}, kAbout});
    cmdExit = &f.addButton({"cmdExit", "Shut Down OB", {340, 210, 140, 28}, kAbout});
}

void ConfigWindow::createDebugPanel() {
    ui::Form& f = *m_form;
    const int y = kClientHeight + 20;
    f.addFrame({"Frame1", "Debug Panel:", {8, y, 504, 200}});
    lstAllow = &f.addListBox({"lstAllow", "", {16, y + 20, 150, 120}}, {});
    lstignore = &f.addListBox({"lstignore", "", {176, y + 20, 150, 120}}, {});
    f.addButton({"Command1", "Command1", {336, y + 20, 100, 28}});
    Timer1 = &f.addTimer("Timer1", 1000, true);
    timerInstance = &f.addTimer("timerInstance", 500, false);
    timerObelon = &f.addTimer("timerObelon", 1000, false);
    // Forty times a second: a window held behind the password that its program showed again is hidden again,
    // and a locked window that came to the front is hidden without waiting for the watch's next tick.
    tmrHeld = &f.addTimer("tmrHeld", 25, false);
    tmrTimer = &f.addTimer("tmrTimer", 60000, false);
    tmrAutoUpdated = &f.addTimer("tmrAutoUpdated", 60000, true);
}
