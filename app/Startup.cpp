// The start-up sequence of the configuration window, run once when the program starts.
#include "app/ConfigWindow.h"
#include "app/General.h"
#include "common/WindowHelpers.h"
#include "engine/SessionLimit.h"
#include "engine/Watch.h"
#include "registry/RegistryEdit.h"

namespace {
constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunValue = "Obelon Pro";
constexpr char kCr = '\r';

std::string folderOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}
}  // namespace

void ConfigWindow::startUp() {
    m_state.loadingGuard = true;
    // Asked to quit during the delay (Windows ending the session): the program ends without starting.
    if (!waitForStartupDelay()) return;
    takeInstanceTitle();
    if (m_platform.process.isEarlierInstanceRunning()) shutdown();
    SmartTab1->selectPage(5);
    m_state.programFolder = folderOf(m_platform.process.programFilePath()) + "\\";
    ensureRunKeyEntry();
    RemoveCloseCommand(m_platform.desktop, m_form->id());
    m_session->start();
    timerObelon->setEnabled(true);
    m_watch->start();
    lblAbout->setText(aboutText());
    GetConfig();
    m_state.startupLockDone = true;
    // The start-up window is shown, becomes active, and so hides behind the password at once.
    m_form->show();
}

// About a second in which this program's other timers, and those of a running instance, keep ticking.
bool ConfigWindow::waitForStartupDelay() {
    Timer1->setEnabled(true);
    while (Timer1->isEnabled()) {
        if (!m_platform.ui.waitForEvent()) return false;
    }
    return true;
}

void ConfigWindow::takeInstanceTitle() {
    if (m_platform.desktop.findWindow(std::nullopt, "Obelon Pro Configuration Tool")) return;
    m_form->setCaption("Obelon Pro Configuration Tool");
    timerInstance->setEnabled(true);
}

// The command is quoted: unquoted, a program folder with blanks ("C:\Program Files\...") lets Windows start
// "C:\Program.exe" at logon if someone put one there. Earlier versions wrote this program's path unquoted; that
// exact entry is put right. Any other entry was put there by the administrator: it stays.
void ConfigWindow::ensureRunKeyEntry() {
    IRegistry& registry = m_platform.registry;
    const std::string program = m_state.programFolder + "obelon7.exe";
    const std::string entry = GetStringValue(registry, RootKey::LocalMachine, kRunKey, kRunValue);
    if (!entry.empty() && entry != program) return;
    SetStringValue(registry, RootKey::LocalMachine, kRunKey, kRunValue, "\"" + program + "\"");
}

std::string ConfigWindow::aboutText() {
    const FileVersion v = m_platform.process.fileVersion(m_platform.process.programFilePath());
    const std::string version = std::to_string(v.major) + "." + std::to_string(v.minor) + "." +
                                std::to_string(v.revision);
    return "Version: " + version + kCr + "Copyright (C) Obelon Pro developers. All rights reserved." + kCr +
           "Use on computers you administer; keep your password safe." + kCr;
}
