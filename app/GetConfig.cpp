// Loading the stored configuration into the window and the program's switches.
#include "app/ConfigWindow.h"
#include "app/SystemTray.h"
#include "registry/RegistryEdit.h"

namespace {
constexpr const char* kSettingsKey = "Software\\OBP\\Settings";
}

void ConfigWindow::GetConfig() {
    IRegistry& registry = m_platform.registry;
    m_state.adminExemption = GetStringValue(registry, RootKey::CurrentUser, kSettingsKey, "CurrentUser") == "Enabled";
    chkTray->setChecked(GetStringValue(registry, RootKey::LocalMachine, kSettingsKey, "Tray") == "1");
    UpdateTrayIcon(m_platform.shell, m_form->id(), m_state.adminExemption, chkTray->isChecked());
    m_state.loadingGuard = false;
}
