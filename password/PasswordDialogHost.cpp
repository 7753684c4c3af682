#include "password/PasswordDialogHost.h"

#include <algorithm>
#include <utility>

#include "common/AccessPassword.h"
#include "password/PasswordDialog.h"

namespace {

// Task windows are told apart by window; every other lock is one per mode (one dialog for all Firefox windows,
// one configuration password, one session lock).
bool sameLock(const LockRequest& a, const LockRequest& b) {
    if (a.mode == LockMode::Task && b.mode == LockMode::Task && (a.window || b.window)) return a.window == b.window;
    return a.mode == b.mode && a.coversDesktop == b.coversDesktop;
}

}  // namespace

PasswordDialogHost::PasswordDialogHost(Platform& platform, ProgramState& state, MessageDialog& messageDialog)
    : m_platform(platform), m_state(state), m_messageDialog(messageDialog) {}

PasswordDialogHost::~PasswordDialogHost() = default;

void PasswordDialogHost::attach(LockOwner& owner) {
    m_owner = &owner;
}

// Which request goes first: a lock over the whole desktop, then one with a window hidden behind it, then the
// rest (the configuration, a new password, the uninstaller), each kind in the order raised.
int PasswordDialogHost::rank(const LockRequest& request) {
    if (request.coversDesktop) return 0;
    return request.window ? 1 : 2;
}

// A lock that covers the desktop cannot wait behind a task's dialog, which leaves the rest of the screen usable;
// a window just hidden cannot wait behind the configuration prompt every start opens, which hides nothing. Such
// a lock takes the dialog over, and the request it interrupted is asked again after it.
void PasswordDialogHost::raiseLock(LockRequest request) {
    if (isDuplicate(request)) return;
    if (!m_answering) {
        m_answering = std::move(request);
        return openFor(*m_answering);
    }
    const bool dialogClosing = m_dialog && m_dialog->isFinishing();
    const bool takesOver = request.coversDesktop ? !m_answering->coversDesktop
                                                 : request.window && m_answering->mode == LockMode::Configuration;
    if (takesOver && !dialogClosing) {
        m_waiting.push_front(std::exchange(*m_answering, std::move(request)));
        m_finished = std::move(m_dialog);
        if (m_finished) m_finished->close();
        return openFor(*m_answering);
    }
    const auto after = std::find_if(m_waiting.begin(), m_waiting.end(),
                                    [&](const LockRequest& waiting) { return rank(waiting) > rank(request); });
    m_waiting.insert(after, std::move(request));
}

bool PasswordDialogHost::isDuplicate(const LockRequest& request) const {
    if (m_answering && sameLock(*m_answering, request)) return true;
    return std::any_of(m_waiting.begin(), m_waiting.end(),
                       [&](const LockRequest& waiting) { return sameLock(waiting, request); });
}

bool PasswordDialogHost::isWaiting(WindowId window) const {
    if (!window) return false;
    if (m_answering && m_answering->window == window) return true;
    return std::any_of(m_waiting.begin(), m_waiting.end(),
                       [window](const LockRequest& waiting) { return waiting.window == window; });
}

bool PasswordDialogHost::isWaiting(LockMode mode) const {
    if (m_answering && m_answering->mode == mode) return true;
    return std::any_of(m_waiting.begin(), m_waiting.end(),
                       [mode](const LockRequest& waiting) { return waiting.mode == mode; });
}

// The dialog open for a window that has gone closes too, unless it is already closing: nothing is left behind
// it to unlock.
void PasswordDialogHost::withdrawLocks(WindowId window) {
    if (!window) return;
    std::erase_if(m_waiting, [window](const LockRequest& waiting) { return waiting.window == window; });
    if (!m_answering || m_answering->window != window || m_answering->coversDesktop) return;
    if (m_dialog && m_dialog->isFinishing()) return;
    m_answering.reset();
    m_finished = std::move(m_dialog);
    if (m_finished) m_finished->close();
    openNext();
}

ui::Form* PasswordDialogHost::form() {
    return m_dialog ? &m_dialog->form() : nullptr;
}

void PasswordDialogHost::openFor(const LockRequest& request) {
    PasswordDialogHooks hooks{
        .messageDialog = &m_messageDialog,
        .isDefaultPassword = [this] { return isDefaultPassword(); },
        .passwordStored =
            [this](const std::string& stored, bool isDefault) {
                m_defaultAnswer = {stored, isDefault};
            },
        .answered = [this](LockAnswer answer) { answered(answer); },
    };
    m_dialog = std::make_unique<PasswordDialog>(m_platform, m_state, request, std::move(hooks));
    m_dialog->open();
}

// The owner acts on the answer before the next dialog opens, so a window given back is in place first.
void PasswordDialogHost::answered(LockAnswer answer) {
    m_finished = std::move(m_dialog);
    if (!m_answering) return openNext();
    const LockRequest request = std::move(*m_answering);
    m_answering.reset();
    if (m_owner) m_owner->lockAnswered(request, answer);
    if (!m_answering) openNext();
}

void PasswordDialogHost::openNext() {
    if (m_waiting.empty()) return;
    m_answering = std::move(m_waiting.front());
    m_waiting.pop_front();
    openFor(*m_answering);
}

bool PasswordDialogHost::isDefaultPassword() {
    if (!m_defaultAnswer || m_defaultAnswer->first != m_state.accessPassword) {
        m_defaultAnswer = {m_state.accessPassword, isDefaultAccessPassword(m_platform.crypto, m_state.accessPassword)};
    }
    return m_defaultAnswer->second;
}
