#include "lists/TasksPage.h"

#include <array>
#include <string>

namespace {

// Offered when no task is stored, in this order, unchecked.
constexpr std::array<const char*, 29> kPresetTasks = {
    "Inbox - Windows Live Mail", "Google Chrome", "Messenger", "Windows Live Messenger", "Windows Mail",
    "Inbox - Outlook Express", "Windows Media Player", "Notepad", "Paint", "Microsoft Word", "Solitaire",
    "Personalization", "Control Panel", "Display Properties", "Windows Firewall", "User Accounts", "System",
    "Disk Defragmenter", "Network", "Disk Cleanup", "Folder Options", "System Restore", "System Information",
    "Command Prompt", "System Configuration Utility", "Run", "Computer", "Music", "Pictures"};

template <class T>
T& controlOf(ui::Form& form, const char* name) {
    return dynamic_cast<T&>(*form.findControl(name));
}

}  // namespace

TasksPage::TasksPage(Platform& platform, ProgramState& state, ui::Form& configWindow)
    : m_platform(platform),
      m_state(state),
      m_form(configWindow),
      lstTasks(controlOf<ui::ListBox>(configWindow, "lstTasks")),
      lblTaskCount(controlOf<ui::Label>(configWindow, "lblTaskCount")) {}

// The caption climbs while a long list is counted, and events run between entries; the count is
// re-read each round, so a list that shrinks meanwhile ends the count early instead of reading past it.
void TasksPage::CountTasks() {
    int count = 0;
    if (lstTasks.count() == 0) {
        lblTaskCount.setText("Tasks Locked: 0");
        return;
    }
    for (int i = 0; i < lstTasks.count(); ++i) {
        m_platform.ui.processEvents();
        if (i >= lstTasks.count()) break;
        if (lstTasks.isChecked(i)) ++count;
        lblTaskCount.setText("Tasks Locked: " + std::to_string(count));
    }
}

void TasksPage::AddTasks() {
    for (const char* title : kPresetTasks) lstTasks.addItem(title);
}
