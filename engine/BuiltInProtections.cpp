#include "engine/BuiltInProtections.h"

#include <array>

namespace {

bool titleHas(const ForegroundSnapshot& foreground, const char* text) {
    return foreground.title.find(text) != std::string::npos;
}

// Tried in this order; upper-case "INSTALL" alone is not one of them.
constexpr std::array<const char*, 6> kInstallerTexts = {"Install", "License Agreement", "install",
                                                        "setup",   "Setup",             "Installer"};

}  // namespace

BuiltInProtections::BuiltInProtections(Platform& platform, ProgramState& state, PasswordDialogLauncher& launcher)
    : m_platform(platform), m_state(state), m_launcher(launcher) {}

// Every rule runs on every tick; when several fire, the last one decides what the dialog unlocks.
// Rules that read the foreground title leave this program's own windows alone, as the task scan does.
void BuiltInProtections::RunAdvanced(const ForegroundSnapshot& foreground) {
    const bool ownForeground = m_platform.process.ownsWindow(foreground.window);
    if (!ownForeground) uninstallerRule(foreground);
    if (!ownForeground) registryEditorRule(foreground);
    internetExplorerRule();
    firefoxRule();
    explorerRule();
    taskManagerRule();
    if (!ownForeground) installerRule(foreground);
}

void BuiltInProtections::uninstallerRule(const ForegroundSnapshot& foreground) {
    if (m_state.uninstallPermitted || !titleHas(foreground, "Obelon Pro 2011 Uninstall")) return;
    m_state.lock.window = WindowId{};
    m_state.lock.mode = "un";
    m_state.lock.label = "Uninstall Obelon Pro";
    openIfHidden();
}

void BuiltInProtections::registryEditorRule(const ForegroundSnapshot& foreground) {
    if (!m_state.protections.reg || !titleHas(foreground, "Registry Editor")) return;
    lockWindow(foreground.window, "reg", "Registry Tools");
}

// Found anywhere on the desktop, hidden windows too, so an unlocked browser is let go only while one is open.
void BuiltInProtections::internetExplorerRule() {
    const WindowId browser = m_platform.desktop.findWindow("IEFrame", std::nullopt);
    if (m_state.protections.ie == 2 && !browser) m_state.protections.ie = 1;
    if (m_state.protections.ie == 1 && browser) lockWindow(browser, "ie", "Internet Explorer");
}

void BuiltInProtections::firefoxRule() {
    if (!m_state.protections.ff) return;
    const WindowId browser = m_platform.desktop.findWindow("MozillaUIWindowClass", std::nullopt);
    if (browser) lockWindow(browser, "ff", "Mozilla Firefox");
}

void BuiltInProtections::explorerRule() {
    if (!m_state.protections.ex) return;
    WindowId folder = m_platform.desktop.findWindow("ExploreWClass", std::nullopt);
    if (!folder) folder = m_platform.desktop.findWindow("CabinetWClass", std::nullopt);
    if (folder) lockWindow(folder, "ex", "Windows Explorer");
}

void BuiltInProtections::taskManagerRule() {
    if (!m_state.protections.tm) return;
    const WindowId manager = m_platform.desktop.findWindow(std::nullopt, "Windows Task Manager");
    if (manager) lockWindow(manager, "tm", "Windows Task Manager");
}

// The installer is minimized, not hidden, and the dialog covers the screen.
void BuiltInProtections::installerRule(const ForegroundSnapshot& foreground) {
    if (!m_state.protections.ins) return;
    bool found = false;
    for (const char* text : kInstallerTexts) found = found || titleHas(foreground, text);
    if (!found) return;
    m_state.lock.window = foreground.window;
    m_state.lock.mode = "ins";
    m_state.lock.label = "Installation Program";
    (void)m_platform.desktop.showWindowAsync(foreground.window, ShowCommand::Minimize);
    m_launcher.showPasswordDialog();
    m_launcher.maximizePasswordDialog();
}

void BuiltInProtections::lockWindow(WindowId window, const char* mode, const char* label) {
    m_state.lock.window = window;
    m_state.lock.mode = mode;
    m_state.lock.label = label;
    IDesktop& desktop = m_platform.desktop;
    if (!desktop.showWindowAsync(window, ShowCommand::Hide)) (void)desktop.showWindowAsync(window, ShowCommand::Minimize);
    openIfHidden();
}

void BuiltInProtections::openIfHidden() {
    if (!m_launcher.isPasswordDialogVisible()) m_launcher.showPasswordDialog();
}
