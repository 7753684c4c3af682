#include "app/ObelonApp.h"

ObelonApp::ObelonApp(Platform& platform)
    : m_message(platform.ui, m_state),
      m_passwords(platform, m_state, m_message),
      m_config(platform, m_state, m_passwords, OpenDialogs{.frmPassword = &m_passwords, .frmError = &m_message}) {
    m_passwords.attach(m_config);
}

void ObelonApp::start() {
    m_config.startUp();
}
