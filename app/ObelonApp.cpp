#include "app/ObelonApp.h"

ObelonApp::ObelonApp(Platform& platform)
    : m_message(platform.ui, m_state), m_config(platform, m_state, *this, OpenDialogs{.frmError = &m_message}) {}

void ObelonApp::start() { m_config.startUp(); }

// The password dialog is not part of this build yet; the lock record already says what it would unlock.
void ObelonApp::showPasswordDialog() {}
