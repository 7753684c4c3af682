#include "config/ApplyEdits.h"

#include "common/AccessPassword.h"
#include "common/ConfigSchema.h"
#include "config/ListSlots.h"

namespace {

class EditList {
public:
    void key(const std::string& key) { m_edits.push_back({.kind = RegEdit::Kind::CreateKey, .key = key}); }
    void text(const std::string& key, const std::string& name, const std::string& text) {
        m_edits.push_back({.kind = RegEdit::Kind::SetText, .key = key, .name = name, .text = text});
    }
    void number(const std::string& key, const std::string& name, uint32_t number) {
        m_edits.push_back({.kind = RegEdit::Kind::SetNumber, .key = key, .name = name, .number = number});
    }
    void remove(const std::string& key, const std::string& name) {
        m_edits.push_back({.kind = RegEdit::Kind::DeleteValue, .key = key, .name = name});
    }
    void removeKey(const std::string& key) { m_edits.push_back({.kind = RegEdit::Kind::DeleteKey, .key = key}); }
    RegEdits take() { return std::move(m_edits); }

private:
    RegEdits m_edits;
};

const char* flag(ui::Form& form, const char* box) { return form.control<ui::CheckBox>(box).isChecked() ? "1" : "0"; }

}  // namespace

RegEdits editsOfApply(Platform& platform, ui::Form& form, const std::string& accountKey) {
    EditList edits;
    const std::string settings = config::kSettingsKey;
    edits.key(settings);
    edits.text(settings, config::kTray, flag(form, "chkTray"));

    // Written over the stored list, then what it no longer reaches goes, as Apply itself does it.
    const std::string tasksKey = config::kTasksKey;
    HeldKey stored(platform.registry, RootKey::LocalMachine, tasksKey);
    auto& tasks = form.control<ui::ListBox>("lstTasks");
    edits.key(tasksKey);
    for (int i = 0; i < tasks.count(); ++i) {
        edits.text(tasksKey, config::slotName(i), config::formatStoredTask({tasks.item(i), tasks.isChecked(i)}));
    }
    for (const std::string& slot : config::filledSlotNames(stored)) {
        if (config::slotNumber(slot).value_or(0) >= tasks.count()) edits.remove(tasksKey, slot);
    }

    const std::string ignoreKey = config::kIgnoreListKey;
    auto& ignore = form.control<ui::ListBox>("lstignore");
    edits.removeKey(ignoreKey);
    if (ignore.count() > 0) edits.key(ignoreKey);
    for (int i = 0; i < ignore.count(); ++i) edits.text(ignoreKey, config::slotName(i), ignore.item(i));

    const std::string limit = form.control<ui::TextBox>("txtrelock").text();
    edits.key(accountKey);
    edits.text(accountKey, config::kSessionLimit, limit.empty() || limit == "0" ? "0" : limit);

    edits.key(settings);
    edits.text(settings, config::kStartup, flag(form, "chkStartup"));
    edits.text(settings, config::kHideStartMenu, flag(form, "chkHideSM"));
    edits.number(settings, config::kDisableRegistryTools, form.control<ui::CheckBox>("chkDisableRegistry").isChecked());
    edits.text(settings, config::kTaskManager, flag(form, "chkTaskManager1"));
    edits.text(settings, config::kLockIE, flag(form, "chkLockIE2"));
    edits.text(settings, config::kLockOtherBrowsers, flag(form, "chkLock3Party"));
    edits.text(settings, config::kLockExplorer, flag(form, "chkLockEx1"));
    edits.text(settings, config::kLockInstall, flag(form, "chklockinstall1"));

    const std::string password =
        GetStringValue(platform.registry, RootKey::LocalMachine, settings, config::kPassword);
    if (!password.empty() && !isHashedAccessPassword(password)) {
        const Result<std::string> hashed = hashAccessPassword(platform.crypto, accessPasswordFromStored(password));
        if (hashed.ok()) edits.text(settings, config::kPassword, hashed.value());
    }
    return edits.take();
}
