#include "password/PasswordDialogHost.h"

#include <utility>

#include "common/AccessPassword.h"
#include "password/PasswordDialog.h"

PasswordDialogHost::PasswordDialogHost(Platform& platform, ProgramState& state, MessageDialog& messageDialog)
    : m_platform(platform), m_state(state), m_messageDialog(messageDialog) {}

PasswordDialogHost::~PasswordDialogHost() = default;

void PasswordDialogHost::attach(ui::Form& configWindow, ui::ListBox& allowList) {
    m_configWindow = &configWindow;
    m_allowList = &allowList;
}

// A dialog that is closing is not brought back: when the lock record changed meanwhile, it asks for a new one.
void PasswordDialogHost::showPasswordDialog() {
    if (m_dialog && m_dialog->isFinishing()) return;
    if (m_dialog) return m_dialog->show();
    m_finished.reset();
    openNew();
}

bool PasswordDialogHost::isPasswordDialogVisible() const {
    return m_dialog && m_dialog->form().isVisible();
}

void PasswordDialogHost::disablePasswordCancel() {
    if (!m_dialog) return;
    if (m_dialog->isFinishing()) {
        m_pendingDisableCancel = true;
        return;
    }
    m_dialog->disableCancel();
}

void PasswordDialogHost::maximizePasswordDialog() {
    if (!m_dialog) return;
    if (m_dialog->isFinishing()) {
        m_pendingMaximize = true;
        return;
    }
    m_dialog->maximize();
}

ui::Form* PasswordDialogHost::form() {
    return m_dialog ? &m_dialog->form() : nullptr;
}

void PasswordDialogHost::openNew() {
    PasswordDialogHooks hooks{
        .configWindow = m_configWindow,
        .allowList = m_allowList,
        .messageDialog = &m_messageDialog,
        .isDefaultPassword = [this] { return isDefaultPassword(); },
        .passwordStored =
            [this](const std::string& stored, bool isDefault) {
                m_defaultAnswer = {stored, isDefault};
            },
        .finished = [this](bool lockReplaced) { finished(lockReplaced); },
    };
    m_dialog = std::make_unique<PasswordDialog>(m_platform, m_state, std::move(hooks));
    m_dialog->open();
    if (std::exchange(m_pendingDisableCancel, false)) m_dialog->disableCancel();
    if (std::exchange(m_pendingMaximize, false)) m_dialog->maximize();
}

void PasswordDialogHost::finished(bool lockReplaced) {
    m_finished = std::move(m_dialog);
    if (lockReplaced) {
        openNew();
    } else {
        m_pendingDisableCancel = false;
        m_pendingMaximize = false;
    }
}

bool PasswordDialogHost::isDefaultPassword() {
    if (!m_defaultAnswer || m_defaultAnswer->first != m_state.accessPassword) {
        m_defaultAnswer = {m_state.accessPassword, isDefaultAccessPassword(m_platform.crypto, m_state.accessPassword)};
    }
    return m_defaultAnswer->second;
}
