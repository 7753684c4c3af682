#include "lists/IgnoreListForm.h"

#include "common/ConfigSchema.h"
#include "registry/ElevatedSave.h"
#include "registry/RegistryEdit.h"

namespace {
constexpr const char* kBlankEntryMessage =
    "An entry made only of blanks occurs in nearly every window title and would exempt nearly every locked task. "
    "Type a part of the window title to ignore.";
}  // namespace

IgnoreListForm::IgnoreListForm(Platform& platform, ProgramState& state, ui::Form& configWindow,
                               ConfigChanges& changes)
    : m_platform(platform), m_state(state), m_configWindow(configWindow), m_changes(changes) {
    m_changes.onRunning([this](bool running) { enableSaving(!running); });
}

IgnoreListForm::~IgnoreListForm() = default;

// Each opening starts from the store: text typed and not confirmed before is gone.
void IgnoreListForm::open() {
    m_closed.reset();
    if (!m_form) {
        create();
        onLoad();
    }
    m_form->show();
}

void IgnoreListForm::create() {
    m_form = m_platform.ui.createForm({.name = "frmignore", .caption = "Ignore List", .width = 340, .height = 300});
    ui::Form& f = *m_form;
    List1 = &f.addListBox({.name = "List1", .caption = "", .rect = {12, 12, 220, 200}}, {});
    f.addLabel({.name = "Label1", .caption = "Window Title to Ignore:", .rect = {12, 220, 220, 18}});
    Text1 = &f.addTextBox({.name = "Text1", .caption = "", .rect = {12, 240, 220, 24}}, {});
    ui::Button& ok = f.addButton({.name = "cmdOK", .caption = "OK", .rect = {244, 12, 84, 28}});
    ui::Button& remove = f.addButton({.name = "CancelButton", .caption = "Delete", .rect = {244, 48, 84, 28}});
    ui::Button& closeButton = f.addButton({.name = "OKButton", .caption = "Close", .rect = {244, 84, 84, 28}});
    f.setDefaultButton(ok);
    ok.onClick([this] { onOk(); });
    remove.onClick([this] { onDelete(); });
    closeButton.onClick([this] { close(); });
    f.onCloseRequest([this] { close(); });
    enableSaving(!m_changes.running());
}

void IgnoreListForm::enableSaving(bool on) {
    if (!m_form) return;
    for (const char* name : {"cmdOK", "CancelButton"}) m_form->findControl(name)->setEnabled(on);
}

void IgnoreListForm::onLoad() {
    m_configWindow.setEnabled(false);
    for (int slot = 0; slot < config::kListSlots; ++slot) {
        const std::string stored = GetStringValue(m_platform.registry, RootKey::LocalMachine, config::kIgnoreListKey,
                                                  config::slotName(slot));
        if (!stored.empty()) List1->addItem(stored);
    }
}

// An empty text adds nothing but still saves and reloads; a text of blanks alone is refused and the window
// stays as it was.
void IgnoreListForm::onOk() {
    const std::string text = Text1->text();
    if (!text.empty() && text.find_first_not_of(" \t") == std::string::npos) return tell(kBlankEntryMessage);
    m_changes.run([this, &text] { okSteps(text); });
}

// A list that could not be stored is never shown as saved: the window stays as it was, with the typed text.
void IgnoreListForm::okSteps(const std::string& text) {
    std::vector<std::string> entries = entriesShown();
    if (!text.empty()) entries.push_back(text);
    if (!save(entries, false)) return;
    if (!text.empty()) List1->addItem(text);
    m_state.reloadRequest = true;
    close();
}

// Deleting the last entry leaves the key, empty.
void IgnoreListForm::onDelete() {
    const int selected = List1->selectedIndex();
    if (selected < 0) return;
    m_changes.run([this, selected] { deleteSteps(selected); });
}

void IgnoreListForm::deleteSteps(int selected) {
    std::vector<std::string> entries = entriesShown();
    entries.erase(entries.begin() + selected);
    if (!save(entries, true)) return;
    List1->removeItem(selected);
    m_state.reloadRequest = true;
}

std::vector<std::string> IgnoreListForm::entriesShown() {
    std::vector<std::string> entries;
    for (int i = 0; i < List1->count(); ++i) entries.push_back(List1->item(i));
    return entries;
}

// The key goes with every entry, and comes back with the first (or at once, to stay empty). A standard user is
// refused the first step already, before anything changed, and is offered to save with administrator rights.
bool IgnoreListForm::save(const std::vector<std::string>& entries, bool keepKey) {
    IRegistry& registry = m_platform.registry;
    const std::string key = config::kIgnoreListKey;
    Status status = registry.deleteKey(RootKey::LocalMachine, key);
    if (status.code() == errc::kFileNotFound) status = Status::success();
    if (status.ok() && keepKey) status = registry.createKey(RootKey::LocalMachine, key);
    for (size_t i = 0; status.ok() && i < entries.size(); ++i) {
        status = writeStringValue(registry, RootKey::LocalMachine, key, config::slotName(static_cast<int>(i)),
                                  entries[i]);
    }
    if (status.code() == errc::kAccessDenied) status = saveWithRights(entries, keepKey);
    if (!status.ok()) return false;
    showInConfigWindow(entries);
    return true;
}

Status IgnoreListForm::saveWithRights(const std::vector<std::string>& entries, bool keepKey) {
    const std::string key = config::kIgnoreListKey;
    RegEdits edits = {{.kind = RegEdit::Kind::DeleteKey, .key = key}};
    if (keepKey || !entries.empty()) edits.push_back({.kind = RegEdit::Kind::CreateKey, .key = key});
    for (size_t i = 0; i < entries.size(); ++i) {
        edits.push_back({.kind = RegEdit::Kind::SetText,
                         .key = key,
                         .name = config::slotName(static_cast<int>(i)),
                         .text = entries[i]});
    }
    const ElevatedSave::Answer answer = ElevatedSave(m_platform).offer(m_form->id(), "The ignore list", edits);
    if (answer.outcome == ElevatedSave::Outcome::Saved) return Status::success();
    tell(answer.outcome == ElevatedSave::Outcome::Declined
             ? "The ignore list was not saved: changing it needs administrative rights. The list is as it was."
             : "The ignore list could not be saved with administrator rights: " + answer.reason);
    return Status::failure(errc::kAccessDenied, "reg.exe");
}

// The configuration window's copy follows at once: an Apply before the watch's reload stores the list as saved
// here, not the one it replaced.
void IgnoreListForm::showInConfigWindow(const std::vector<std::string>& entries) {
    auto& lstignore = m_configWindow.control<ui::ListBox>("lstignore");
    lstignore.clear();
    for (const std::string& entry : entries) lstignore.addItem(entry);
}

void IgnoreListForm::tell(const std::string& text) {
    (void)m_platform.shell.messageBox({.owner = m_form->id(),
                                       .text = text,
                                       .title = "Ignore List",
                                       .icon = MessageBoxIcon::Exclamation,
                                       .buttons = MessageBoxButtons::Ok});
}

// However the window closes, the configuration window takes input again.
void IgnoreListForm::close() {
    if (!m_form) return;
    m_form->hide();
    m_configWindow.setEnabled(true);
    m_closed = std::move(m_form);
    List1 = nullptr;
    Text1 = nullptr;
}
