// The start-up sequence of the configuration window, run once when the program starts.
#include "app/ConfigWindow.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "app/General.h"
#include "common/WindowHelpers.h"
#include "engine/SessionLimit.h"
#include "engine/Watch.h"
#include "registry/RegistryEdit.h"

namespace {
constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunValue = "Obelon Pro";
constexpr const char* kConfigTitle = "Obelon Pro Configuration Tool";
constexpr const char* kInitTitle = "#obelon init";
constexpr char kCr = '\r';

std::string folderOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool samePath(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// The instance token alone proves nothing, as any program can make a named object first. An earlier instance is
// running only when another process of this very program file has its window: under the configuration title
// once it runs, under "#obelon init" while it is itself in its start-up delay. A process that cannot be asked
// (an instance started with administrative rights) is taken for one: two instances would both watch.
bool earlierInstanceAnswers(Platform& platform) {
    const std::string self = platform.process.programFilePath();
    for (const WindowId window : platform.desktop.topLevelWindows()) {
        const std::string title = platform.desktop.windowText(window);
        if (title != kConfigTitle && title != kInitTitle) continue;
        if (platform.process.ownsWindow(window)) continue;
        const std::string file = platform.desktop.programFile(window);
        if (file.empty() || samePath(file, self)) return true;
    }
    return false;
}
}  // namespace

void ConfigWindow::startUp() {
    m_state.loadingGuard = true;
    // Asked to quit during the delay (Windows ending the session): the program ends without starting.
    if (!waitForStartupDelay()) return;
    takeInstanceTitle();
    if (m_platform.process.isEarlierInstanceRunning() && earlierInstanceAnswers(m_platform)) shutdown();
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
    if (m_platform.desktop.findWindow(std::nullopt, kConfigTitle)) return;
    m_form->setCaption(kConfigTitle);
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
