#include "config/ConfigApplier.h"

#include "common/ConfigSchema.h"
#include "common/EventPacer.h"
#include "config/ApplyEdits.h"
#include "config/ListSlots.h"
#include "registry/ElevatedSave.h"
#include "registry/RegistryEdit.h"

namespace {

constexpr const char* kAdministratorMessage =
    "As Administrator Obelon Pro will be disabled on this user account. All other users remain with restrictions "
    "enabled.";
constexpr const char* kRefusedMessage =
    "The settings could not be saved: changing the configuration of this computer needs administrative rights. "
    "The window shows the settings that are stored.";

constexpr const char* kExemptionNotSavedMessage =
    "The administrator setting was not saved: it is kept for this computer, where changing it needs administrative "
    "rights. The box shows the setting that is stored.";
constexpr const char* kNotSavedMessage =
    "Nothing was saved: changing the configuration of this computer needs administrative rights. The window keeps "
    "your changes; press Apply again to save them.";

bool isChecked(ui::Form& form, const char* name) { return form.control<ui::CheckBox>(name).isChecked(); }

}  // namespace

// The system's own words for the failure, as every other message of the program gives them.
std::string ConfigApplier::describe(const Status& status) {
    return "Error: \"" + m_platform.files.describeError(status.code()) + "\"";
}

ConfigApplier::ConfigApplier(Platform& platform, ProgramState& state, ui::Form& configWindow,
                             ConfigChanges& changes, Hooks hooks)
    : m_platform(platform), m_state(state), m_form(configWindow), m_changes(changes), m_hooks(std::move(hooks)) {
    m_form.control<ui::Button>("cmdok").onClick([this] { cmdokClick(); });
    m_form.control<ui::CheckBox>("chkAdmin").onClick([this] { chkAdminClick(); });
}

void ConfigApplier::cmdokClick() {
    m_changes.run([this] { apply(); });
}

// A standard user (every instance started at logon under UAC) is refused the first machine-wide write already:
// then the whole of Apply is offered to be saved with administrator rights. A write refused later on is lost, and
// the reload shows the stored state again; the user hears of it instead of finding out later.
void ConfigApplier::apply() {
    m_refused = false;
    if (!storeSetting(config::kTray, isChecked(m_form, "chkTray"))) return;
    if (m_refused) return applyWithRights();
    if (!applySteps()) return;
    finish();
    if (m_refused) tell(kRefusedMessage);
}

void ConfigApplier::finish() {
    if (m_hooks.GetConfig) m_hooks.GetConfig();
    m_form.control<ui::Button>("cmdcancel").setText("Close");
}

// Declined, or failed before anything was stored, the window keeps what the user changed, for another Apply.
void ConfigApplier::applyWithRights() {
    const ElevatedSave::Answer answer =
        ElevatedSave(m_platform).offer(m_form.id(), "The settings", editsOfApply(m_platform, m_form, accountKey()));
    switch (answer.outcome) {
    case ElevatedSave::Outcome::Saved:
        takeSwitches();
        finish();
        return;
    case ElevatedSave::Outcome::Declined:
        return tell(kNotSavedMessage);
    case ElevatedSave::Outcome::Failed:
        return tell("The settings could not be saved with administrator rights: " + answer.reason +
                    " The window keeps your changes.");
    }
}

// The switches take the boxes as the written steps give them, without the writes.
void ConfigApplier::takeSwitches() {
    ProtectionSwitches& on = m_state.protections;
    on.reg = isChecked(m_form, "chkDisableRegistry");
    on.tm = isChecked(m_form, "chkTaskManager1");
    on.ie = isChecked(m_form, "chkLockIE2") ? 1 : 0;
    on.ff = isChecked(m_form, "chkLock3Party");
    on.ex = isChecked(m_form, "chkLockEx1");
    on.ins = isChecked(m_form, "chklockinstall1");
}

bool ConfigApplier::applySteps() {
    IRegistry& registry = m_platform.registry;
    if (!writeLists()) return false;
    const std::string limit = m_form.control<ui::TextBox>("txtrelock").text();
    const bool noLimit = limit.empty() || limit == "0";
    if (!store(writeStringValue(registry, RootKey::LocalMachine, accountKey(), config::kSessionLimit,
                                noLimit ? "0" : limit))) {
        return false;
    }
    return writeSettings();
}

// The task list is written over the stored one, and only then are the slots it no longer reaches deleted: a
// program cut off halfway (a power cut, the session's end) leaves the old list or the new, or a mix, never an
// emptied one, and a shorter list leaves nothing of the longer one behind. An empty ignore list leaves no key at
// all. Each list is written through one open key, and only the slots that hold a value are deleted: each call is
// a round trip to the registry.
bool ConfigApplier::writeLists() {
    IRegistry& registry = m_platform.registry;
    HeldKey tasksKey(registry, RootKey::LocalMachine, config::kTasksKey);
    EventPacer events(m_platform.ui, m_platform.clock);
    const std::vector<std::string> storedSlots = config::filledSlotNames(tasksKey);
    auto& tasks = m_form.control<ui::ListBox>("lstTasks");
    const int taskCount = tasks.count();
    for (int i = 0; i < taskCount; ++i) {
        const std::string stored = config::formatStoredTask({tasks.item(i), tasks.isChecked(i)});
        if (!store(tasksKey.writeStringValue(config::slotName(i), stored))) return false;
    }
    for (const std::string& slot : storedSlots) {
        if (config::slotNumber(slot).value_or(0) < taskCount) continue;
        events.step();
        tasksKey.DeleteValue(slot);
    }
    DeleteKey(registry, RootKey::LocalMachine, config::kIgnoreListKey);
    HeldKey ignoreKey(registry, RootKey::LocalMachine, config::kIgnoreListKey);
    auto& ignore = m_form.control<ui::ListBox>("lstignore");
    for (int i = 0; i < ignore.count(); ++i) {
        events.step();
        if (i >= ignore.count()) break;
        if (!store(ignoreKey.writeStringValue(config::slotName(i), ignore.item(i)))) return false;
    }
    return true;
}

// Each protection switch takes the box's state at once, before the reload sets it from the store.
bool ConfigApplier::writeSettings() {
    ProtectionSwitches& on = m_state.protections;
    if (!storeSetting(config::kStartup, isChecked(m_form, "chkStartup"))) return false;
    if (!storeSetting(config::kHideStartMenu, isChecked(m_form, "chkHideSM"))) return false;
    on.reg = isChecked(m_form, "chkDisableRegistry");
    if (!store(writeDWordValue(m_platform.registry, RootKey::LocalMachine, config::kSettingsKey,
                               config::kDisableRegistryTools, on.reg ? 1 : 0))) {
        return false;
    }
    on.tm = isChecked(m_form, "chkTaskManager1");
    if (!storeSetting(config::kTaskManager, on.tm)) return false;
    on.ie = isChecked(m_form, "chkLockIE2") ? 1 : 0;
    if (!storeSetting(config::kLockIE, on.ie == 1)) return false;
    on.ff = isChecked(m_form, "chkLock3Party");
    if (!storeSetting(config::kLockOtherBrowsers, on.ff)) return false;
    on.ex = isChecked(m_form, "chkLockEx1");
    if (!storeSetting(config::kLockExplorer, on.ex)) return false;
    on.ins = isChecked(m_form, "chklockinstall1");
    return storeSetting(config::kLockInstall, on.ins);
}

bool ConfigApplier::storeSetting(const char* name, bool on) {
    return store(writeStringValue(m_platform.registry, RootKey::LocalMachine, config::kSettingsKey, name,
                                  on ? "1" : "0"));
}

bool ConfigApplier::store(const Status& status) {
    if (status.ok()) return true;
    if (status.code() == errc::kAccessDenied) {
        m_refused = true;
        return true;
    }
    tell(describe(status));
    return false;
}

// The box takes effect at once, for this Windows user only; a load's setting of it is not a change.
void ConfigApplier::chkAdminClick() {
    if (m_state.loadingGuard || m_state.configLoading) return;
    m_changes.run([this] { storeExemption(); });
}

// Stored machine-wide for this account, where only an administrator can write: a refused write exempts nothing,
// says so, and the load puts the box back as stored.
void ConfigApplier::storeExemption() {
    const bool exempt = isChecked(m_form, "chkAdmin");
    const char* text = exempt ? "Enabled" : "Disabled";
    const Status written =
        writeStringValue(m_platform.registry, RootKey::LocalMachine, accountKey(), config::kCurrentUser, text);
    bool stored = written.ok();
    if (written.code() == errc::kAccessDenied) {
        stored = exemptionSavedWithRights(text);
    } else if (!written.ok()) {
        tell(describe(written));
    }
    if (!stored) {
        if (m_hooks.GetConfig) m_hooks.GetConfig();
        return;
    }
    m_state.adminExemption = exempt;
    if (exempt) tell(kAdministratorMessage);
    if (m_hooks.GetConfig) m_hooks.GetConfig();
}

bool ConfigApplier::exemptionSavedWithRights(const char* text) {
    const RegEdits edits = {{.kind = RegEdit::Kind::CreateKey, .key = accountKey()},
                            {.kind = RegEdit::Kind::SetText, .key = accountKey(), .name = config::kCurrentUser,
                             .text = text}};
    const ElevatedSave::Answer answer = ElevatedSave(m_platform).offer(m_form.id(), "The administrator setting", edits);
    if (answer.outcome == ElevatedSave::Outcome::Saved) return true;
    tell(answer.outcome == ElevatedSave::Outcome::Declined
             ? kExemptionNotSavedMessage
             : "The administrator setting could not be saved with administrator rights: " + answer.reason);
    return false;
}

std::string ConfigApplier::accountKey() { return config::accountKey(m_platform.process.userSid()); }

void ConfigApplier::tell(const std::string& text) {
    m_state.messageText = text;
    if (m_hooks.showMessage) m_hooks.showMessage();
}
