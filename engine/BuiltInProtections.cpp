#include "engine/BuiltInProtections.h"

#include <array>

#include "engine/HeldWindows.h"
#include "engine/Watch.h"
#include "engine/WindowClasses.h"

namespace {

bool titleHas(const ForegroundSnapshot& foreground, const char* text) {
    return foreground.title.find(text) != std::string::npos;
}

// Tried in this order; upper-case "INSTALL" alone is not one of them.
constexpr std::array<const char*, 6> kInstallerTexts = {"Install", "License Agreement", "install",
                                                        "setup",   "Setup",             "Installer"};

}  // namespace

BuiltInProtections::BuiltInProtections(Platform& platform, ProgramState& state, HeldWindows& held,
                                       PasswordDialogLauncher& launcher)
    : m_platform(platform), m_state(state), m_held(held), m_launcher(launcher) {}

// Every rule runs on every tick. Rules that read the foreground title leave alone this program's own windows,
// the shell's, and a window already held hidden (a task window the scan has just hidden, say), so no rule
// undoes another's lock.
void BuiltInProtections::RunAdvanced(const ForegroundSnapshot& foreground) {
    const bool foregroundFree = foreground.window && !m_platform.process.ownsWindow(foreground.window) &&
                                !m_held.holds(foreground.window) && !isShellWindow(foreground.className);
    if (foregroundFree) uninstallerRule(foreground);
    if (foregroundFree) registryEditorRule(foreground);
    internetExplorerRule();
    firefoxRule();
    explorerRule();
    taskManagerRule();
    if (foregroundFree) installerRule(foreground);
}

void BuiltInProtections::unlocked(LockMode mode) {
    ProtectionSwitches& switches = m_state.protections;
    switch (mode) {
        case LockMode::RegistryTools:
            switches.reg = false;
            break;
        case LockMode::InternetExplorer:
            switches.ie = 2;
            break;
        case LockMode::Firefox:
            switches.ff = false;
            break;
        case LockMode::Explorer:
            switches.ex = false;
            break;
        case LockMode::TaskManager:
            switches.tm = false;
            break;
        case LockMode::Installer:
            switches.ins = false;
            break;
        case LockMode::Uninstaller:
            m_state.uninstallPermitted = true;
            break;
        case LockMode::Task:
        case LockMode::Configuration:
        case LockMode::SetPassword:
            break;
    }
}

// No window is hidden: the uninstaller only waits for the password.
void BuiltInProtections::uninstallerRule(const ForegroundSnapshot& foreground) {
    if (m_state.uninstallPermitted || !titleHas(foreground, "Obelon Pro 2011 Uninstall")) return;
    m_launcher.raiseLock({.mode = LockMode::Uninstaller, .label = "Uninstall Obelon Pro"});
}

void BuiltInProtections::registryEditorRule(const ForegroundSnapshot& foreground) {
    if (!m_state.protections.reg || !titleHas(foreground, "Registry Editor")) return;
    lockWindow(foreground.window, LockMode::RegistryTools, "Registry Tools");
}

// Found anywhere on the desktop, hidden windows too, so an unlocked browser is let go only while one is open.
void BuiltInProtections::internetExplorerRule() {
    if (m_state.protections.ie == 2 && !m_platform.desktop.findWindow("IEFrame", std::nullopt)) {
        m_state.protections.ie = 1;
    }
    if (m_state.protections.ie == 1) lockClass("IEFrame", LockMode::InternetExplorer, "Internet Explorer");
}

// Older Firefox windows are of the first class, current ones of the second.
void BuiltInProtections::firefoxRule() {
    if (!m_state.protections.ff) return;
    lockClass("MozillaUIWindowClass", LockMode::Firefox, "Mozilla Firefox");
    lockClass("MozillaWindowClass", LockMode::Firefox, "Mozilla Firefox");
}

void BuiltInProtections::explorerRule() {
    if (!m_state.protections.ex) return;
    lockClass("ExploreWClass", LockMode::Explorer, "Windows Explorer");
    lockClass("CabinetWClass", LockMode::Explorer, "Windows Explorer");
}

// Task Manager is titled "Windows Task Manager" up to Windows 7; since Windows 8 its class is the sure sign, as
// its title ("Task Manager") is translated with the system.
void BuiltInProtections::taskManagerRule() {
    if (!m_state.protections.tm) return;
    const WindowId classic = m_platform.desktop.findWindow(std::nullopt, "Windows Task Manager");
    if (classic) lockWindow(classic, LockMode::TaskManager, "Windows Task Manager");
    lockClass("TaskManagerWindow", LockMode::TaskManager, "Windows Task Manager");
}

// The installer is minimized, not hidden, and the dialog covers the screen.
void BuiltInProtections::installerRule(const ForegroundSnapshot& foreground) {
    if (!m_state.protections.ins) return;
    bool found = false;
    for (const char* text : kInstallerTexts) found = found || titleHas(foreground, text);
    if (!found) return;
    (void)m_platform.desktop.showWindowAsync(foreground.window, ShowCommand::Minimize);
    m_launcher.raiseLock({.mode = LockMode::Installer, .window = foreground.window, .label = "Installation Program"});
}

void BuiltInProtections::lockClass(std::string_view className, LockMode mode, const char* label) {
    for (const WindowId window : windowsOfClass(m_platform.desktop, className)) lockWindow(window, mode, label);
}

// A window already held is not hidden again; after a Cancel that left it open, it asks for the password again.
void BuiltInProtections::lockWindow(WindowId window, LockMode mode, const char* label) {
    const LockRequest request{.mode = mode, .window = window, .label = label};
    if (!m_held.holds(window)) return m_held.hold(request, false);
    if (!m_launcher.isWaiting(mode)) m_launcher.raiseLock(request);
}
