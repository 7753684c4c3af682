// The set-password flow of `frmPassword` (lock mode "pwd"): the new password twice, then stored as a hash.
#include <utility>

#include "common/ConfigSchema.h"
#include "common/AccessPassword.h"
#include "password/PasswordDialog.h"
#include "registry/ElevatedSave.h"
#include "registry/RegistryEdit.h"

namespace {

constexpr const char* kApplicationTitle = "Obelon Pro";
constexpr const char* kNeedsRights =
    "The password could not be saved: administrative rights are needed to change it. The old password stays in "
    "force.";
constexpr const char* kCannotHash = "The password could not be saved. The old password stays in force.";

}  // namespace

// An empty box does nothing, so a password set here has 1 to 16 characters.
void PasswordDialog::setPasswordStep() {
    const std::string box = txtPass->text();
    if (box.empty()) return;
    if (m_firstEntry.empty()) {
        m_firstEntry = box;
        txtPass->setText("");
        lblDefaultPass->setText("Confirm new password:");
        return;
    }
    const std::string first = std::exchange(m_firstEntry, std::string());
    txtPass->setText("");
    m_finishing = true;
    if (box == first) {
        storeNewPassword(first);
    } else {
        m_form->hide();
        showBox("Password's did not match!", true);
    }
    finish(box == first ? LockAnswer::Unlocked : LockAnswer::Cancelled);
}

// Only a stored password is reported as set: a refused write (a standard user cannot write the machine-wide
// settings) keeps the old password in force, in memory as in the registry.
void PasswordDialog::storeNewPassword(const std::string& password) {
    const Result<std::string> stored = hashAccessPassword(m_platform.crypto, password);
    Status written = stored.status();
    if (stored.ok()) {
        written = writeStringValue(m_platform.registry, RootKey::LocalMachine, config::kSettingsKey, config::kPassword,
                                   stored.value());
    }
    m_form->hide();
    if (stored.ok() && written.code() == errc::kAccessDenied) {
        const RegEdits edits = {{.kind = RegEdit::Kind::CreateKey, .key = config::kSettingsKey},
                                {.kind = RegEdit::Kind::SetText,
                                 .key = config::kSettingsKey,
                                 .name = config::kPassword,
                                 .text = stored.value()}};
        const ElevatedSave::Answer answer = ElevatedSave(m_platform).offer({}, "The password", edits);
        if (answer.outcome == ElevatedSave::Outcome::Failed) {
            return showBox("The password could not be saved with administrator rights: " + answer.reason +
                               " The old password stays in force.",
                           true);
        }
        if (answer.outcome == ElevatedSave::Outcome::Declined) return showBox(kNeedsRights, true);
        written = Status::success();
    }
    if (!written.ok()) return showBox(stored.ok() ? kNeedsRights : kCannotHash, true);
    m_state.accessPassword = stored.value();
    if (m_hooks.passwordStored) m_hooks.passwordStored(stored.value(), password == kDefaultAccessPassword);
    showBox("Password set successfully.", false);
}

void PasswordDialog::showBox(const std::string& text, bool refusal) {
    (void)m_platform.shell.messageBox({.text = text,
                                       .title = kApplicationTitle,
                                       .icon = refusal ? MessageBoxIcon::Exclamation : MessageBoxIcon::Information,
                                       .buttons = MessageBoxButtons::Ok,
                                       .systemModal = true});
}
