#include "policyext/ShellRestrictionsWindow.h"

#include <utility>

#include "policyext/ShellRestrictionTable.h"
#include "registry/RegistryEdit.h"

namespace {

constexpr const char* kCaption = "Obelon Pro Policy Extension (Beta)";
constexpr const char* kExplanation =
    "This extension to Obelon Pro will do the following: Restrict the Start Menu/Bar to it's minimal set of "
    "options. Disable view on all drives. Lock Registry, Command Prompt, Task Manager. Restrict Search to only "
    "Users Personal Files. Disable Folder Options, Shut Down, Save Settings on Exit and more.";

}  // namespace

ShellRestrictionsWindow::ShellRestrictionsWindow(ui::Toolkit& ui, IRegistry& registry, ui::Handler onClosed)
    : m_registry(registry),
      m_onClosed(std::move(onClosed)),
      m_form(
          ui.createForm({.name = "frmOBExt", .caption = kCaption, .width = 424, .height = 226, .fontName = "Verdana"})),
      Label1(m_form->addLabel({.name = "Label1", .caption = kExplanation, .rect = {12, 12, 400, 92}})),
      Option1(m_form->addOptionButton(
          {.name = "Option1", .caption = "Settings apply to this user only", .rect = {12, 110, 400, 20}})),
      cmdEnable(m_form->addButton(
          {.name = "cmdEnable", .caption = "Enable User Shell Restrictions", .rect = {12, 140, 400, 32}})),
      cmdRemove(m_form->addButton(
          {.name = "cmdRemove", .caption = "Remove User Shell Restrictions", .rect = {12, 180, 400, 32}})) {
    // The option only states the scope: there is no other to choose.
    Option1.setChecked(true);
    Option1.setEnabled(false);
    cmdEnable.onClick([this] { writeRestrictions(Setting::Enable); });
    cmdRemove.onClick([this] { writeRestrictions(Setting::Remove); });
    m_form->onCloseRequest([this] { onClose(); });
}

ShellRestrictionsWindow::~ShellRestrictionsWindow() = default;

void ShellRestrictionsWindow::show() {
    m_form->show();
}

// One write per row, in table order. A refused write is lost and the next row is written all the same;
// neither a failure nor the end is announced, and the window stays open for the other button.
void ShellRestrictionsWindow::writeRestrictions(Setting setting) {
    for (const ShellRestriction& row : shellRestrictions()) {
        const int32_t number = setting == Setting::Enable ? row.enabled : 0;
        SetDWordValue(m_registry, RootKey::CurrentUser, row.key, row.name, number);
    }
}

void ShellRestrictionsWindow::onClose() {
    m_form->hide();
    if (m_onClosed) m_onClosed();
}
